// Shows a skin in the launcher's window and reloads it the moment one of its files is saved.
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "launcher/Launcher.h"
#include "launcher/Version.h"
#include "platform/desktop/DesktopPlatform.h"
#include "preview/Preview.h"
#include "preview/QuitSignals.h"
#include "ToolArguments.h"

namespace {

void usage(FILE* stream)
{
    fprintf(stream,
            "usage: trevandel-preview [APPDIR] [--skin NAME] [--page N]\n"
            "  Shows the skin of APPDIR (default: this program's directory) in the launcher's\n"
            "  window and reloads it whenever the skin's folder, Trevandel.cfg or the font sheet\n"
            "  changes, printing the checker's report after each load. --skin shows another skin\n"
            "  of skins/, --page starts on page N (0..127).\n"
            "  Keys: the launcher's, the arrow keys for the stick, Page Up and Page Down through\n"
            "  the filled pages, F1 for the button areas, Escape to quit. Trevandel.cfg is never\n"
            "  changed and no program is started.\n");
}

} // namespace

int main(int argc, char** argv)
{
    Preview::Options options;
    std::string app = programDirectoryOf(argc > 0 ? argv[0] : "");
    bool appGiven = false;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        } else if (arg == "--version") {
            Version::print("trevandel-preview");
            return 0;
        } else if (arg == "--skin" && i + 1 < argc) {
            options.skin = argv[++i];
        } else if (arg == "--page" && i + 1 < argc) {
            if (!parsePageNumber(argv[++i], options.page)) {
                fprintf(stderr, "trevandel-preview: --page takes a number from 0 to 127, not '%s'\n", argv[i]);
                return 2;
            }
        } else if (arg[0] != '-' && !appGiven) {
            app = arg;
            appGiven = true;
        } else {
            fprintf(stderr, "trevandel-preview: unknown option '%s'\n", arg.c_str());
            usage(stderr);
            return 2;
        }
    }
    char resolved[PATH_MAX];
    struct stat info;
    if (!realpath(app.c_str(), resolved) || stat(resolved, &info) != 0 || !S_ISDIR(info.st_mode)) {
        fprintf(stderr, "trevandel-preview: no application directory %s\n", app.c_str());
        return 2;
    }
    options.appDirectory = resolved;
    if (!options.skin.empty() && !isSkinName(options.skin)) {
        fprintf(stderr, "%s\n", badSkinNameMessage("trevandel-preview", options.skin).c_str());
        return 2;
    }
    // Said once, before anything is made: the preview is nothing without its window.
    if (!DesktopPlatform::checkDisplay())
        return 1;
    // Lines must reach a pipe as they happen.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    static Preview preview(options);
    const int status = preview.run();
    QuitSignals::endAsCaught();
    return status;
}
