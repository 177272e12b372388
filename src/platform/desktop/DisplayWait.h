// Sleeping until the display has an event to deliver, for loop turns on which nothing else can change.
#pragma once

#include <csignal>

class DisplayWait {
public:
    enum Result {
        NO_DISPLAY,  // no display connection (dummy or another video driver), no other descriptor
                     // and no time limit: nothing was waited for
        PENDING,     // an event is already queued in SDL or in Xlib: nothing was waited for
        READY,       // the display connection (or the other descriptor) has data to read
        INTERRUPTED, // a signal arrived (for SIGINT and SIGTERM SDL's handler queues its quit event)
        TIMED_OUT,
        FAILED,      // the wait itself failed: nothing was waited for
    };
    static const int FOREVER = -1;

    // Blocks until the display connection (or otherFd, when not -1) is readable, a quit signal
    // arrives or timeoutMs passes. Without a display connection it waits on otherFd and the time
    // alone. The sleep runs with sleepMask as the signal mask (null: the mask of the caller),
    // so a caller that blocked signals of its own before its last check is woken by them.
    static Result wait(int timeoutMs = FOREVER, int otherFd = -1, const sigset_t* sleepMask = nullptr);
    // The display connection's descriptor, or -1 when there is none to wait on.
    static int displayDescriptor();
    // True when the call slept until something happened, so the caller need not pace itself.
    static bool woke(Result result) { return result == READY || result == INTERRUPTED; }
};
