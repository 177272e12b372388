// The preview's keys and its wait on the window and the file watcher together.
#include "PreviewPlatform.h"

#include <csignal>

#include "QuitSignals.h"
#include "platform/desktop/DisplayWait.h"

namespace {

// A held direction counts towards the launcher's key repeat one 1 ms turn at a time.
const int TURN_MS = 1;

ButtonMask stickOf(unsigned key)
{
    switch (key) {
    case DesktopPlatform::KEY_UP:
        return BTN_UP;
    case DesktopPlatform::KEY_DOWN:
        return BTN_DOWN;
    case DesktopPlatform::KEY_LEFT:
        return BTN_LEFT;
    case DesktopPlatform::KEY_RIGHT:
        return BTN_RIGHT;
    default:
        return 0;
    }
}

} // namespace

PreviewPlatform::Request PreviewPlatform::takeRequest()
{
    const Request request = m_request;
    m_request = NO_REQUEST;
    return request;
}

bool PreviewPlatform::nextEvent(InputEvent& event)
{
    // A signal asks the process to end, as closing the window does.
    if (QuitSignals::caught()) {
        event = {InputEvent::CLOSE, 0, 0};
        return true;
    }
    if (!m_desktop.nextEvent(event))
        return false;
    if (event.type != InputEvent::PRESS && event.type != InputEvent::RELEASE)
        return true;
    if (const ButtonMask stick = stickOf(event.key)) {
        event.controls = stick;
        return true;
    }
    Request request = NO_REQUEST;
    if (event.key == DesktopPlatform::KEY_F1)
        request = TOGGLE_OVERLAY;
    else if (event.key == DesktopPlatform::KEY_PAGE_UP)
        request = PAGE_BACK;
    else if (event.key == DesktopPlatform::KEY_PAGE_DOWN)
        request = PAGE_ON;
    else
        return true;
    // The launcher sees a turn without an event; the key acts once, when it goes down.
    if (event.type == InputEvent::PRESS)
        m_request = request;
    return false;
}

void PreviewPlatform::rest(int timeoutMs)
{
    int timeout = timeoutMs;
    // Without the window's connection there is nothing to wait on for keys: turn as the
    // launcher does.
    if (timeout < 0 && m_desktop.displayDescriptor() < 0)
        timeout = TURN_MS;
    if (m_restLimitMs >= 0 && (timeout < 0 || m_restLimitMs < timeout))
        timeout = m_restLimitMs;
    // Held back from the checks to the sleep, which lets them in: one that lands after the check
    // ends the sleep at once instead of waiting for the next event.
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &QuitSignals::noted(), &previous);
    if (m_request == NO_REQUEST && !QuitSignals::caught())
        DisplayWait::wait(timeout, m_watcherFd, &previous);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}
