// The release number from the build (TREVANDEL_VERSION, given to this file alone, so a new
// number recompiles only it).
#include "launcher/Version.h"

#include <cstdio>
#include <cstring>

#ifndef TREVANDEL_VERSION
#error "TREVANDEL_VERSION is set by src/CMakeLists.txt from the project's version"
#endif

const char* Version::number()
{
    return TREVANDEL_VERSION;
}

const char* Version::text()
{
    return "Trevandel " TREVANDEL_VERSION;
}

bool Version::isAsked(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i] && strcmp(argv[i], "--version") == 0)
            return true;
    return false;
}

void Version::print(const char* program)
{
    printf("%s (Trevandel) %s\n", program, number());
}
