// Checks the configuration and skin of an application directory and prints each mistake as file:line.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "check/CheckSupport.h"
#include "check/SkinChecker.h"
#include "launcher/QuietOutput.h"
#include "launcher/Version.h"
#include "ToolArguments.h"

using check::isDirectory;
using check::isFile;

namespace {

void usage(FILE* stream)
{
    fprintf(stream,
            "usage: trevandel-check [--skin NAME | --all] [APPDIR]\n"
            "  Reads APPDIR/Trevandel.cfg and the skin it names exactly as the launcher does and\n"
            "  prints the skin file it read, every problem as file:line: message, then a summary.\n"
            "  --skin NAME checks skins/NAME/ with that configuration instead; --all checks every\n"
            "  folder below skins/, one report each. APPDIR defaults to this program's directory.\n"
            "  Exit status: 0 no problems, 1 problems found, 2 usage error.\n");
}

// A skin folder given where the application folder belongs: names the folder to give instead.
bool isSkinFolder(const std::string& app)
{
    if (!isFile(withSlash(app) + "Trevandel.skin") || isDirectory(withSlash(app) + "skins"))
        return false;
    char resolved[PATH_MAX];
    std::string path = realpath(app.c_str(), resolved) ? resolved : app;
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string parent = slash == std::string::npos ? "." : path.substr(0, slash);
    const size_t parentSlash = parent.find_last_of('/');
    if (parentSlash != std::string::npos && parent.substr(parentSlash + 1) == "skins")
        fprintf(stderr,
                "trevandel-check: %s is a skin folder, not an application folder: give the folder "
                "that holds skins/ instead: trevandel-check --skin %s %s\n",
                app.c_str(), name.c_str(), parentSlash == 0 ? "/" : parent.substr(0, parentSlash).c_str());
    else
        fprintf(stderr,
                "trevandel-check: %s is a skin folder, not an application folder: give the folder "
                "that holds Trevandel.cfg and skins/%s/ instead\n",
                app.c_str(), name.c_str());
    return true;
}

std::vector<std::string> skinFolders(const std::string& app)
{
    std::vector<std::string> names;
    DIR* directory = opendir((withSlash(app) + "skins").c_str());
    if (!directory)
        return names;
    while (struct dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && isDirectory(withSlash(app) + "skins/" + name))
            names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

// One report: the skin file read, its problems and the summary; true when it is clean.
bool report(const std::string& app, const std::string& skin)
{
    std::vector<SkinChecker::Problem> problems;
    std::string skinFile;
    std::string configured;
    {
        QuietOutput quiet;
        SkinChecker checker(app);
        if (!skin.empty())
            checker.setSkin(skin);
        problems = checker.run();
        skinFile = checker.skinFile();
        configured = checker.configuredSkin();
    }
    if (skin.empty())
        fprintf(stderr, "%s\n",
                unnamedSkinNote("trevandel-check", "checking",
                                configured.empty() ? Launcher::DEFAULT_SKIN : configured, configured)
                    .c_str());
    printf("checking %s\n", skinFile.c_str());
    for (const SkinChecker::Problem& problem : problems)
        printf("%s\n", SkinChecker::formatProblem(problem).c_str());
    printf("%s\n", SkinChecker::summary(problems).c_str());
    return problems.empty();
}

} // namespace

int main(int argc, char** argv)
{
    std::string app = programDirectoryOf(argc > 0 ? argv[0] : "");
    std::string skin;
    bool all = false;
    bool appGiven = false;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        }
        if (arg == "--version") {
            Version::print("trevandel-check");
            return 0;
        }
        if (arg == "--skin" && i + 1 < argc && argv[i + 1][0] != '\0' && skin.empty()) {
            skin = argv[++i];
        } else if (arg == "--all" && !all) {
            all = true;
        } else if (arg[0] == '-') {
            fprintf(stderr, "trevandel-check: unknown option or missing value '%s'\n", arg.c_str());
            usage(stderr);
            return 2;
        } else if (!appGiven) {
            app = arg;
            appGiven = true;
        } else {
            usage(stderr);
            return 2;
        }
    }
    if (all && !skin.empty()) {
        fprintf(stderr, "trevandel-check: give --skin or --all, not both\n");
        usage(stderr);
        return 2;
    }
    if (access(app.c_str(), F_OK) != 0) {
        fprintf(stderr, "trevandel-check: no application directory %s\n", app.c_str());
        return 2;
    }
    if (isSkinFolder(app))
        return 2;
    if (!skin.empty() && !isSkinName(skin)) {
        fprintf(stderr, "%s\n", badSkinNameMessage("trevandel-check", skin).c_str());
        return 2;
    }
    if (!skin.empty() && !isFile(withSlash(app) + "skins/" + skin + "/Trevandel.skin")) {
        fprintf(stderr, "trevandel-check: no skin %s: there is no file skins/%s/Trevandel.skin\n",
                skin.c_str(), skin.c_str());
        return 2;
    }
    if (!all)
        return report(app, skin) ? 0 : 1;
    const std::vector<std::string> skins = skinFolders(app);
    if (skins.empty()) {
        fprintf(stderr, "trevandel-check: %s has no folders below skins/\n", app.c_str());
        return 2;
    }
    bool clean = true;
    for (size_t i = 0; i < skins.size(); i++) {
        if (i > 0)
            printf("\n");
        clean = report(app, skins[i]) && clean;
    }
    return clean ? 0 : 1;
}
