// A connection of the back end's own to the X display, held while SDL opens its window.
#pragma once

struct _XDisplay;

// An X server started without -noreset (xvfb-run's default) resets when its last client leaves.
// SDL opens a probe connection, closes it and then connects for real: on a server that had no
// other client, the probe's departure can reset it under the real connection, which is refused.
// While this connection is open the server always has a client.
class DisplayHold {
public:
    DisplayHold() = default;
    ~DisplayHold();
    DisplayHold(const DisplayHold&) = delete;
    DisplayHold& operator=(const DisplayHold&) = delete;

    // True when built with Xlib: a hold can be taken at all.
    static bool available();
    // Connects to the display DISPLAY names, once more after a short pause when refused.
    // False when it cannot (or when built without Xlib).
    bool connect();
    // Ends the connection; SDL's own one then keeps the server from resetting.
    void release();

private:
    _XDisplay* m_display = nullptr;
};
