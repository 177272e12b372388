// One measured operation, set up first and then run once inside trevandel_counted, so that
// valgrind --tool=callgrind --toggle-collect=trevandel_counted counts its instructions alone.
//
//   trevandel-count startup | startup-fresh | decode | handheld-startup FRAMEBUFFER_FILE
//   trevandel-count enter DIR | naive DIR | skin FILE | split FILE
//   trevandel-count make-folder DIR FILES FOLDERS | make-skin FILE SCALE     (set-up, not counted)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "Workloads.h"
#include "launcher/Globals.h"
#include "launcher/Launcher.h"
#include "platform/desktop/DesktopPlatform.h"
#include "platform/handheld/HandheldPlatform.h"

namespace {

enum Work { STARTUP, DECODE, ENTER, NAIVE, SKIN, SPLIT };

struct Job {
    Work work;
    std::string path;
    std::vector<std::string> pngs;
    Launcher* launcher;
    size_t result;
};

int usage()
{
    fprintf(stderr, "usage: see the head of bench/count/main.cpp\n");
    return 2;
}

} // namespace

// Everything counted happens in here; its name is what callgrind's --toggle-collect matches.
extern "C" __attribute__((noinline)) void trevandel_counted(Job& job)
{
    switch (job.work) {
    case STARTUP:
        job.result = workload::startOnce(job.path, true);
        break;
    case DECODE:
        for (const std::string& png : job.pngs)
            if (!workload::decodeWithLibpng(png.c_str(), job.result))
                job.result = 0;
        break;
    case ENTER:
        job.result = workload::enterFolder(job.path);
        break;
    case NAIVE:
        job.result = workload::naiveListing(job.path);
        break;
    case SKIN:
        job.result = workload::readSkin(*job.launcher, job.path) ? 1 : 0;
        break;
    case SPLIT:
        job.result = workload::splitPlainly(job.path);
        break;
    }
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string work = argv[1];
    const std::string arg = argc > 2 ? argv[2] : "";
    if (work == "make-folder" && argc == 5)
        return workload::makeFolder(arg, atoi(argv[3]), atoi(argv[4])) ? 0 : 1;
    if (work == "make-skin" && argc == 4)
        return workload::writeSkin(arg, atoi(argv[3])) ? 0 : 1;

    HandheldSettings settings;
    Job job = {STARTUP, "", {}, nullptr, 0};
    benchsupport::QuietStdout quiet;
    if (work == "startup" || work == "decode") {
        if (!benchsupport::openDummyVideo())
            return 1;
        job.path = workload::programPath();
        // A start before the counted one opens the window, as the timed figure's loop does.
        job.pngs = workload::startupPngs(job.path);
        job.work = work == "startup" ? STARTUP : DECODE;
    } else if (work == "startup-fresh") {
        // The process's first start: SDL and the window are made inside the count.
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        Platform::install(&benchsupport::desktop());
        job.path = workload::programPath();
    } else if (work == "handheld-startup" && argc == 3) {
        settings.framebuffer = arg;
        settings.screenFormat = "320x240x16";
        settings.inputs.clear();
        settings.sysfs = "/nonexistent";
        static HandheldPlatform handheld(settings);
        Platform::install(&handheld);
        job.path = workload::programPath();
        workload::startOnce(job.path);
    } else if ((work == "enter" || work == "naive") && argc == 3) {
        job.work = work == "enter" ? ENTER : NAIVE;
        job.path = arg;
        // The font is loaded and the folder's entries are in the kernel's caches before.
        workload::enterFolder(job.path);
        workload::naiveListing(job.path);
    } else if ((work == "skin" || work == "split") && argc == 3) {
        job.work = work == "skin" ? SKIN : SPLIT;
        job.path = arg;
        workload::setStartupVariables();
        job.launcher = new Launcher;
    } else {
        return usage();
    }
    trevandel_counted(job);
    fprintf(stderr, "%s: %zu\n", work.c_str(), job.result);
    return job.result > 0 ? 0 : 1;
}
