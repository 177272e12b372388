// The launcher with the 1 ms pacing on every unchanged turn, resting ones too: the yardstick the
// bench holds the real launcher's idle wake-ups and key repeat against.
#include "launcher/Launcher.h"
#include "platform/Video.h"
#include "platform/desktop/DesktopPlatform.h"

int main(int argc, char** argv)
{
    static DesktopPlatform platform;
    Platform::install(&platform);
    static Launcher launcher;
    launcher.setIdleWait(false);
    if (launcher.start(argc, argv) != 0)
        return 1;
    while (launcher.iterate() == Launcher::CONTINUE) {
    }
    Video::shutdown();
}
