// Waits on the X connection of SDL's window; other video drivers offer nothing to wait on, but
// the other descriptor and the time limit still count.
#include "platform/desktop/DisplayWait.h"

#include "platform/SignalBlock.h"

#include <SDL.h>
#include <poll.h>

#include <cerrno>
#include <csignal>
#include <ctime>

// Built with Xlib only when SDL itself has the X11 driver and the X11 library was found.
#if defined(TREVANDEL_X11_WAIT) && defined(SDL_VIDEO_DRIVER_X11)
#define DISPLAY_WAIT_X11 1
#include <SDL_syswm.h>
#endif

namespace {

const long NS_PER_MS = 1000000;
const int MS_PER_SECOND = 1000;

#ifdef DISPLAY_WAIT_X11
Display* x11Display()
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11)
        return nullptr;
    return info.info.x11.display;
}
#endif

bool sdlHasEvent()
{
    SDL_Event peeked;
    return SDL_PeepEvents(&peeked, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0;
}

// XPending flushes, then moves what Xlib or its transport has already read into Xlib's queue:
// such events are no longer on the socket, so waiting on it would not see them.
bool displayHasEvent()
{
#ifdef DISPLAY_WAIT_X11
    Display* display = x11Display();
    return display && XPending(display) > 0;
#else
    return false;
#endif
}

} // namespace

int DisplayWait::displayDescriptor()
{
#ifdef DISPLAY_WAIT_X11
    Display* display = x11Display();
    return display ? ConnectionNumber(display) : -1;
#else
    return -1;
#endif
}

DisplayWait::Result DisplayWait::wait(int timeoutMs, int otherFd, const sigset_t* sleepMask)
{
    const int displayFd = displayDescriptor();
    if (displayFd < 0 && otherFd < 0 && timeoutMs < 0)
        return NO_DISPLAY;

    // SDL turns SIGINT and SIGTERM into a queued quit event. Held back until ppoll, one that
    // arrives after the queue was found empty still ends the wait.
    const SignalBlock quitSignals;

    Result result = PENDING;
    if (!sdlHasEvent() && !displayHasEvent()) {
        pollfd descriptors[2];
        nfds_t count = 0;
        if (displayFd >= 0)
            descriptors[count++] = {displayFd, POLLIN, 0};
        if (otherFd >= 0)
            descriptors[count++] = {otherFd, POLLIN, 0};
        timespec timeout = {timeoutMs / MS_PER_SECOND, (timeoutMs % MS_PER_SECOND) * NS_PER_MS};
        int ready = ppoll(descriptors, count, timeoutMs < 0 ? nullptr : &timeout,
                          sleepMask ? sleepMask : &quitSignals.previous());
        if (ready > 0)
            result = READY;
        else if (ready == 0)
            result = TIMED_OUT;
        else
            result = errno == EINTR ? INTERRUPTED : FAILED;
    }
    return result;
}
