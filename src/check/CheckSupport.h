// Small readings of values, paths and pages that several of the skin checks share.
#pragma once

#include <sys/stat.h>

#include <cctype>
#include <string>
#include <vector>

#include "check/SkinDiagnostics.h"
#include "launcher/Launcher.h"
#include "skin/Button.h"
#include "skin/Page.h"
#include "text/WString.h"

namespace check {

// The stick's directions as messages name them, in NAVIGATION's order (Button::ON_LEFT to
// Button::ON_DOWN).
const char* const DIRECTION_NAMES[Button::SELECT_TARGETS] = {"left", "right", "up", "down"};

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
    return launcher.page(pageIndex).isFilled();
}

inline bool isListSlot(Launcher& launcher, int pageIndex, int slot)
{
    Button* button = launcher.page(pageIndex).button(slot);
    // Only these become lists when the page is first drawn.
    const ButtonType* type = button ? button->drawnKind() : nullptr;
    return type && type->drawing == ButtonType::LIST;
}

// Names as a message offers them: "a, b or c".
inline std::string choices(const std::vector<std::string>& names)
{
    std::string listed;
    for (size_t i = 0; i < names.size(); i++)
        listed += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return listed;
}

// A value after a comma keeps its blanks, so " .ogg" is an ending no name has.
inline bool startsWithBlank(const WString& text)
{
    return text.length() > 0 && (text.at(0) == ' ' || text.at(0) == '\t');
}

// Six hex digits, as the list and button colours need.
inline bool isColour(const WString& text)
{
    if (text.length() != 6)
        return false;
    for (int i = 0; i < 6; i++) {
        if (!isxdigit((unsigned char)text.at(i)))
            return false;
    }
    return true;
}

inline void reportBadColour(SkinDiagnostics& diagnostics, const WString& text,
                            const SkinDiagnostics::Location& where)
{
    if (!isColour(text))
        diagnostics.reportAt(where.file, where.line, "colour \"%s\" is not six hex digits RRGGBB",
                             text.printable());
}

} // namespace check
