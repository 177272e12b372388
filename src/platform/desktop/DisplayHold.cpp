// The held X connection: plain Xlib, built only where SDL itself draws through X.
#include "platform/desktop/DisplayHold.h"

#include <SDL.h>
#include <unistd.h>

#if defined(TREVANDEL_X11_WAIT) && defined(SDL_VIDEO_DRIVER_X11)
#define DISPLAY_HOLD_X11 1
#include <X11/Xlib.h>
#endif

namespace {

// Long enough for a server that is resetting to take connections again.
const unsigned RETRY_PAUSE_US = 100000;

} // namespace

DisplayHold::~DisplayHold()
{
    release();
}

bool DisplayHold::available()
{
#ifdef DISPLAY_HOLD_X11
    return true;
#else
    return false;
#endif
}

bool DisplayHold::connect()
{
#ifdef DISPLAY_HOLD_X11
    release();
    m_display = XOpenDisplay(nullptr);
    if (!m_display) {
        usleep(RETRY_PAUSE_US);
        m_display = XOpenDisplay(nullptr);
    }
    return m_display != nullptr;
#else
    return false;
#endif
}

void DisplayHold::release()
{
#ifdef DISPLAY_HOLD_X11
    if (m_display)
        XCloseDisplay(m_display);
#endif
    m_display = nullptr;
}
