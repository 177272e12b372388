// Entry point: start up, then run the main loop until it asks to quit.
#include "core/Launcher.h"
#include "core/Video.h"

int main(int argc, char** argv)
{
    static Launcher launcher;
    if (launcher.start(argc, argv) != 0)
        return 1;
    while (launcher.iterate() == Launcher::CONTINUE) {
    }
    Video::shutdown();
}
