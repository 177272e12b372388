// Small readings of values, paths and pages that several of the skin checks share.
#pragma once

#include <sys/stat.h>

#include <cctype>
#include <string>

#include "core/Launcher.h"
#include "skin/Button.h"
#include "skin/Page.h"
#include "text/WString.h"

namespace check {

// The folder the launcher runs programs in, and so resolves relative paths below.
const char* const WORKING_DIRECTORY = Launcher::APPLICATION_DIR;

// Numbers are read as the launcher reads them, held at the int limits.
inline int toInt(const WString& text)
{
    return text.toInt();
}

inline bool isNumber(const WString& text)
{
    const char* p = text.printable();
    if (*p == '-' || *p == '+')
        p++;
    if (!*p)
        return false;
    for (; *p; p++) {
        if (!isdigit((unsigned char)*p))
            return false;
    }
    return true;
}

inline bool endsWithSlash(const std::string& path)
{
    return !path.empty() && path.back() == '/';
}

inline bool isDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

inline bool isFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The words of a list, as a checker message shows them.
inline std::string joined(const WString::Array& words)
{
    return words.join(WString(",")).printable();
}

inline bool isPageFilled(Launcher& launcher, int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= Launcher::PAGE_COUNT)
        return false;
    Page& page = launcher.page(pageIndex);
    if (page.backgroundType().length() > 0 || page.returnAction().count() > 0)
        return true;
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
        if (page.button(slot))
            return true;
    }
    return false;
}

inline bool isListSlot(Launcher& launcher, int pageIndex, int slot)
{
    Button* button = launcher.page(pageIndex).button(slot);
    // Only these become lists when the page is first drawn.
    return button && button->type() == "selector" && button->typeArgs().count() >= 4;
}

} // namespace check
