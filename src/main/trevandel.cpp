// Entry point of the desktop launcher: the SDL window as the screen, the keyboard as controls.
#include "launcher/Launcher.h"
#include "launcher/Version.h"
#include "platform/Video.h"
#include "platform/desktop/DesktopPlatform.h"

int main(int argc, char** argv)
{
    if (Version::isAsked(argc, argv)) {
        Version::print("trevandel");
        return 0;
    }
    static DesktopPlatform platform;
    Platform::install(&platform);
    // Never destroyed: at the end of the process its pages and buttons go with the memory, not
    // one delete at a time.
    static Launcher& launcher = *new Launcher;
    if (launcher.start(argc, argv) != 0)
        return 1;
    while (launcher.iterate() == Launcher::CONTINUE) {
    }
    Video::shutdown();
}
