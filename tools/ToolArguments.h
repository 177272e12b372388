// Command-line helpers shared by the skin author's tools.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>

#include "launcher/Launcher.h"

// The folder holding the program named by path, with its "/" ("./" when it has none).
inline std::string programDirectoryOf(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? std::string(path, slash - path + 1) : std::string("./");
}

// A whole word naming a page of the table; nothing else is a page number.
inline bool parsePageNumber(const char* text, int& page)
{
    char* end = nullptr;
    const long value = strtol(text, &end, 10);
    if (!*text || *end || value < 0 || value >= Launcher::PAGE_COUNT)
        return false;
    page = int(value);
    return true;
}
