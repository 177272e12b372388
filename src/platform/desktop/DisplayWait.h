// Sleeping until the display has an event to deliver, for loop turns on which nothing else can change.
#pragma once

class DisplayWait {
public:
    enum Result {
        NO_DISPLAY,  // no descriptor to wait on (dummy or another video driver): nothing was waited for
        PENDING,     // an event is already queued in SDL or in Xlib: nothing was waited for
        READY,       // the display connection (or the other descriptor) has data to read
        INTERRUPTED, // a signal arrived; SDL's handler has queued its quit event
        TIMED_OUT,
        FAILED,      // the wait itself failed: nothing was waited for
    };
    static const int FOREVER = -1;

    // Blocks until the display connection (or otherFd, when not -1) is readable, a quit signal
    // arrives or timeoutMs passes.
    static Result wait(int timeoutMs = FOREVER, int otherFd = -1);
    // The display connection's descriptor, or -1 when there is none to wait on.
    static int displayDescriptor();
    // True when the call slept until something happened, so the caller need not pace itself.
    static bool woke(Result result) { return result == READY || result == INTERRUPTED; }
};
