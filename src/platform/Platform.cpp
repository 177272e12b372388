// The process's platform: the installed one, or a headless one until a back end is installed.
#include "platform/Platform.h"

#include <unistd.h>

#include "platform/HeadlessPlatform.h"

namespace {
Platform* gInstalled = nullptr;
}

Platform::~Platform()
{
    if (gInstalled == this)
        gInstalled = nullptr;
}

bool Platform::enterDirectory(const char* path)
{
    return chdir(path) == 0;
}

Platform& Platform::current()
{
    if (gInstalled)
        return *gInstalled;
    // Built on first use: a process that installs a back end before anything asks never makes it.
    static HeadlessPlatform headless;
    return headless;
}

void Platform::install(Platform* platform)
{
    gInstalled = platform;
}
