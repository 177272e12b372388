// Entry point of the handheld launcher: the framebuffer as the screen, evdev devices as the
// controls, programs started for real.
#include "launcher/Launcher.h"
#include "launcher/Version.h"
#include "platform/Video.h"
#include "platform/handheld/HandheldPlatform.h"

int main(int argc, char** argv)
{
    if (Version::isAsked(argc, argv)) {
        Version::print("trevandel-handheld");
        return 0;
    }
    HandheldSettings settings;
    const WString base = Launcher::absoluteBaseDirectory(argc > 0 ? argv[0] : nullptr);
    settings.read((base + Launcher::CONFIG_FILE).printable());
    static HandheldPlatform platform(settings);
    Platform::install(&platform);
    // Never destroyed: at the end of the process its pages and buttons go with the memory, not
    // one delete at a time.
    static Launcher& launcher = *new Launcher;
    launcher.setRunProgramsByDefault(true);
    if (launcher.start(argc, argv) != 0)
        return 1;
    while (launcher.iterate() == Launcher::CONTINUE) {
    }
    Video::shutdown();
}
