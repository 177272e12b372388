// What the launcher needs from the machine it runs on: screen, controls, rest, programs, power.
#pragma once

#include <cstdint>

#include "platform/InputEvent.h"

// One back end per kind of machine implements this; the launcher, the skin and the graphics
// never see what is underneath. Calls come a few times per frame or loop turn at most (the
// pixels themselves are drawn into Video's plain buffers), so a virtual call costs nothing
// that shows.
class Platform {
public:
    static const int FOREVER = -1;

    // batteryPercent when the machine has no battery, and when it cannot tell.
    static const int NO_BATTERY = -1;
    static const int NO_READING = -2;

    // How a launched program ended.
    struct LaunchOutcome {
        enum Kind {
            NOT_RUN,      // this platform starts nothing
            EXITED,       // value: its exit status
            SIGNALLED,    // value: the signal that ended it
            NO_DIRECTORY, // value: the errno of the failed change into the directory
            NOT_STARTED,  // value: the errno of the failed start
        };
        Kind kind;
        int value;
    };

    Platform() = default;
    virtual ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // The platform the process-wide parts (Video, Input, the CPU clock, the battery) use: the
    // one installed last, or a headless one that has no devices at all.
    static Platform& current();
    // null goes back to the headless one.
    static void install(Platform* platform);

    // Screen. openScreen says why on standard error when it fails.
    virtual bool openScreen() = 0;
    // Shows one frame of Video::WIDTH x Video::HEIGHT pixels, row stride Video::WIDTH.
    virtual void present(const uint16_t* frame) = 0;
    virtual void closeScreen() = 0;

    // Controls: takes one pending event, never waits; false when there is none.
    virtual bool nextEvent(InputEvent& event) = 0;

    // Rest: sleeps until input may be pending, a quit signal arrives or timeoutMs passes
    // (FOREVER: no limit). A back end that has nothing to wait on sleeps one short turn.
    virtual void rest(int timeoutMs) = 0;

    // Programs. launch runs argv[0] (argv ends with null) in directory (empty: the working
    // directory) with the screen and the controls handed to it, waits for it to end, takes them
    // back and says how it ended.
    virtual LaunchOutcome launch(const char* directory, char* const argv[]) = 0;
    // Replaces the process with a fresh start of path; returns only when that failed.
    virtual void restart(const char* path) = 0;
    // The working directory for everything a skin names with a relative path; false when it
    // cannot be entered (relative paths then keep the starting directory).
    // A change of the working directory is the same on every POSIX machine.
    virtual bool enterDirectory(const char* path);

    // Power. Called once per real change of the requested clock.
    virtual void setCpuClock(int mhz, int pll, int prescaler) = 0;
    // The battery's charge in percent, NO_BATTERY, or NO_READING (the launcher's stand-in
    // counter shows then).
    virtual int batteryPercent() = 0;
};
