// The desktop stand-in for the handheld: a 640x480 SDL 1.2 window, the keyboard as controls.
#pragma once

#include "platform/Platform.h"

struct SDL_Surface;

class DesktopPlatform : public Platform {
public:
    static const int WINDOW_WIDTH = 640;
    static const int WINDOW_HEIGHT = 480;

    // Codes of keys that are no handheld control, for a tool that gives them a meaning
    // (InputEvent::key carries them).
    enum Key : unsigned {
        KEY_UP = 273,
        KEY_DOWN = 274,
        KEY_RIGHT = 275,
        KEY_LEFT = 276,
        KEY_PAGE_UP = 280,
        KEY_PAGE_DOWN = 281,
        KEY_F1 = 282,
    };

    // The window's pixels, 16 bits each, rows pitchBytes apart.
    struct WindowPixels {
        uint8_t* pixels;
        int pitchBytes;
        int width;
        int height;
    };
    // Drawn over the doubled frame before the window is updated; the frame itself is untouched.
    typedef void (*Overlay)(WindowPixels& window, void* context);

    DesktopPlatform() = default;
    ~DesktopPlatform() override;

    // False, with one "no display" line on standard error, when no window can be had here:
    // DISPLAY is not set and SDL_VIDEODRIVER names no video driver.
    static bool checkDisplay();
    // SDL's video and the window; the reason on standard error when either fails.
    bool openScreen() override;
    void present(const uint16_t* frame) override;
    void closeScreen() override;
    bool nextEvent(InputEvent& event) override;
    // Without a limit it sleeps until the X connection has something to deliver (or a quit
    // signal comes); with one, or without a connection to wait on, it sleeps one turn.
    void rest(int timeoutMs) override;
    // The window is closed while the program runs and opened again after it.
    LaunchOutcome launch(const char* directory, char* const argv[]) override;
    void restart(const char* path) override;
    // The desktop's clock is not the launcher's to set.
    void setCpuClock(int, int, int) override {}
    // No battery reading: the counter stands in.
    int batteryPercent() override { return NO_READING; }

    // The doubling copy alone, without the overlay or the window update.
    void copyToWindow(const uint16_t* frame);
    void setOverlay(Overlay overlay, void* context);
    void setCaption(const char* caption);
    // The X connection's descriptor, or -1 when the window is not on X.
    int displayDescriptor() const;
    bool isOpen() const { return m_window != nullptr; }
    // The handheld control a key stands for on this keyboard (0: none).
    static ButtonMask controlsOfKey(unsigned key);

private:
    SDL_Surface* m_window = nullptr;
    Overlay m_overlay = nullptr;
    void* m_overlayContext = nullptr;
};
