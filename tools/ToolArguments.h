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

// A folder given with or without its "/", with it, so that names can be put after it.
inline std::string withSlash(const std::string& path)
{
    return !path.empty() && path.back() == '/' ? path : path + "/";
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

// A name for --skin: one folder below skins/, so nothing with "/" and neither "." nor "..".
inline bool isSkinName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// The refusal of a --skin value that isSkinName rejects, for standard error.
inline std::string badSkinNameMessage(const char* program, const std::string& name)
{
    return std::string(program) + ": --skin takes a folder name below skins/, not '" + name + "'";
}

// The folder name of a skin directory below skins/ ("/app/skins/mine/" gives "mine").
inline std::string skinNameOf(const std::string& skinDirectory)
{
    std::string path = skinDirectory;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// When the user named no skin, the one line a tool prints on standard error: the skin it used
// and why that one. configured is the SKIN that Trevandel.cfg sets, empty when it sets none.
inline std::string unnamedSkinNote(const char* program, const char* verb, const std::string& used,
                                   const std::string& configured)
{
    std::string why;
    if (configured.empty())
        why = "the default, as Trevandel.cfg sets no SKIN";
    else if (configured == used)
        why = "the one SKIN in Trevandel.cfg names";
    else
        why = "the default, as skins/" + configured + "/ named by SKIN in Trevandel.cfg holds no skin";
    return std::string(program) + ": " + verb + " skin " + used + ", " + why +
           "; --skin NAME picks another";
}
