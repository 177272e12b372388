// SDL 1.2 underneath: the window, the keyboard table, the idle wait on X, the restart's execl.
#include "platform/desktop/DesktopPlatform.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/FrameDoubler.h"
#include "platform/ProgramRunner.h"
#include "platform/Video.h"
#include "platform/desktop/DisplayHold.h"
#include "platform/desktop/DisplayWait.h"

namespace {

const int WINDOW_DEPTH = 16;
const char* const WINDOW_CAPTION = "Trevandel";
// One loop turn when there is nothing to wait on.
const unsigned TURN_US = 1000;
const unsigned US_PER_MS = 1000;
// Before the one retry of a video start that the display refused.
const unsigned VIDEO_RETRY_PAUSE_US = 100000;
// How to get a window where there is no desktop.
const char* const VIRTUAL_DISPLAY = "xvfb-run -a -s '-noreset -screen 0 640x480x16'";

bool isSet(const char* value)
{
    return value && *value;
}

static_assert(DesktopPlatform::WINDOW_WIDTH == Video::WIDTH * 2 &&
                  DesktopPlatform::WINDOW_HEIGHT == Video::HEIGHT * 2,
              "the window shows every pixel doubled");
constexpr bool sameKey(DesktopPlatform::Key ours, SDLKey sdl)
{
    return unsigned(ours) == unsigned(sdl);
}
static_assert(sameKey(DesktopPlatform::KEY_UP, SDLK_UP) && sameKey(DesktopPlatform::KEY_DOWN, SDLK_DOWN) &&
                  sameKey(DesktopPlatform::KEY_RIGHT, SDLK_RIGHT) &&
                  sameKey(DesktopPlatform::KEY_LEFT, SDLK_LEFT) &&
                  sameKey(DesktopPlatform::KEY_PAGE_UP, SDLK_PAGEUP) &&
                  sameKey(DesktopPlatform::KEY_PAGE_DOWN, SDLK_PAGEDOWN) &&
                  sameKey(DesktopPlatform::KEY_F1, SDLK_F1),
              "tool keys carry SDL's key symbols");

struct KeyBinding {
    SDLKey key;
    ButtonMask bits;
};

// Diagonals carry two direction bits, so releasing one clears both.
const KeyBinding KEY_TABLE[] = {
    {SDLK_KP8, BTN_UP},
    {SDLK_KP2, BTN_DOWN},
    {SDLK_KP4, BTN_LEFT},
    {SDLK_KP6, BTN_RIGHT},
    {SDLK_KP7, BTN_UP | BTN_LEFT},
    {SDLK_KP9, BTN_UP | BTN_RIGHT},
    {SDLK_KP1, BTN_DOWN | BTN_LEFT},
    {SDLK_KP3, BTN_DOWN | BTN_RIGHT},
    {SDLK_KP5, BTN_PUSH},
    {SDLK_s, BTN_START},
    {SDLK_RETURN, BTN_SELECT},
    {SDLK_LSHIFT, BTN_L},
    {SDLK_RSHIFT, BTN_R},
    {SDLK_a, BTN_A},
    {SDLK_b, BTN_B},
    {SDLK_x, BTN_X},
    {SDLK_z, BTN_Y},
    {SDLK_KP_MINUS, BTN_VOLDOWN},
    {SDLK_KP_PLUS, BTN_VOLUP},
};

} // namespace

DesktopPlatform::~DesktopPlatform()
{
    closeScreen();
}

ButtonMask DesktopPlatform::controlsOfKey(unsigned key)
{
    for (const KeyBinding& binding : KEY_TABLE)
        if (unsigned(binding.key) == key)
            return binding.bits;
    return 0;
}

bool DesktopPlatform::checkDisplay()
{
    if (isSet(getenv("SDL_VIDEODRIVER")) || isSet(getenv("DISPLAY")))
        return true;
    fprintf(stderr,
            "no display: DISPLAY is not set; run it in a desktop session, under %s, or name a "
            "video driver in SDL_VIDEODRIVER\n",
            VIRTUAL_DISPLAY);
    return false;
}

bool DesktopPlatform::openScreen()
{
    // A second start in the same process (a reload, a tool) keeps the window it has; one that
    // SDL let go of (SDL_Quit) is opened again.
    if (m_window && SDL_GetVideoSurface() == m_window)
        return true;
    // Left to itself, SDL would fall back on a text-mode driver and draw into the terminal.
    if (!checkDisplay())
        return false;
    const char* driver = getenv("SDL_VIDEODRIVER");
    const bool driverNamed = isSet(driver);
    const bool onX = !driverNamed || strcmp(driver, "x11") == 0;
    DisplayHold hold;
    if (onX && DisplayHold::available() && !hold.connect() && !driverNamed) {
        fprintf(stderr, "no display: cannot connect to the X server of DISPLAY=%s; start one there, "
                        "or run it under %s\n",
                getenv("DISPLAY"), VIRTUAL_DISPLAY);
        return false;
    }
    int started = SDL_Init(SDL_INIT_VIDEO);
    if (started < 0 && onX) {
        // A server in the middle of a reset takes connections again a moment later.
        usleep(VIDEO_RETRY_PAUSE_US);
        started = SDL_Init(SDL_INIT_VIDEO);
    }
    hold.release();
    if (started < 0) {
        fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        return false;
    }
    m_window = SDL_SetVideoMode(WINDOW_WIDTH, WINDOW_HEIGHT, WINDOW_DEPTH, SDL_SWSURFACE);
    if (!m_window) {
        fprintf(stderr, "Couldn't set video mode: %s\n", SDL_GetError());
        return false;
    }
    // Only the title: the icon name is left to the window manager.
    SDL_WM_SetCaption(WINDOW_CAPTION, nullptr);
    return true;
}

void DesktopPlatform::copyToWindow(const uint16_t* frame)
{
    if (!m_window || !frame || m_window->format->BytesPerPixel != sizeof(uint16_t))
        return;
    if (SDL_MUSTLOCK(m_window) && SDL_LockSurface(m_window) < 0)
        return;
    FrameDoubler::doubleFrame(frame, static_cast<uint8_t*>(m_window->pixels), m_window->pitch);
    if (SDL_MUSTLOCK(m_window))
        SDL_UnlockSurface(m_window);
}

void DesktopPlatform::present(const uint16_t* frame)
{
    if (!m_window)
        return;
    copyToWindow(frame);
    if (m_overlay && m_window->format->BytesPerPixel == sizeof(uint16_t) &&
        !(SDL_MUSTLOCK(m_window) && SDL_LockSurface(m_window) < 0)) {
        WindowPixels pixels = {static_cast<uint8_t*>(m_window->pixels), m_window->pitch,
                               m_window->w, m_window->h};
        m_overlay(pixels, m_overlayContext);
        if (SDL_MUSTLOCK(m_window))
            SDL_UnlockSurface(m_window);
    }
    SDL_UpdateRect(m_window, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT);
}

void DesktopPlatform::closeScreen()
{
    if (!m_window)
        return;
    m_window = nullptr;
    SDL_Quit();
}

bool DesktopPlatform::nextEvent(InputEvent& event)
{
    // One SDL event per call, whatever it is: a turn that takes an exposure or a mouse move
    // counts like any other.
    SDL_Event sdl;
    if (!SDL_PollEvent(&sdl))
        return false;
    switch (sdl.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const unsigned key = sdl.key.keysym.sym;
        const bool down = sdl.type == SDL_KEYDOWN;
        if (down && sdl.key.keysym.sym == SDLK_ESCAPE)
            event = {InputEvent::QUIT_KEY, 0, key};
        else
            event = {down ? InputEvent::PRESS : InputEvent::RELEASE, controlsOfKey(key), key};
        return true;
    }
    case SDL_QUIT:
        event = {InputEvent::CLOSE, 0, 0};
        return true;
    default:
        return false;
    }
}

void DesktopPlatform::rest(int timeoutMs)
{
    if (timeoutMs < 0 && DisplayWait::woke(DisplayWait::wait()))
        return;
    usleep(timeoutMs < 0 ? TURN_US : unsigned(timeoutMs) * US_PER_MS);
}

Platform::LaunchOutcome DesktopPlatform::launch(const char* directory, char* const argv[])
{
    // The program may want a window, or the whole display, of its own.
    closeScreen();
    const LaunchOutcome outcome = ProgramRunner::run(directory, argv);
    if (!openScreen()) {
        fprintf(stderr, "Could not open the window again after %s\n", argv && argv[0] ? argv[0] : "the program");
        exit(1);
    }
    return outcome;
}

void DesktopPlatform::restart(const char* path)
{
    execl(path, path, static_cast<char*>(nullptr));
}

void DesktopPlatform::setOverlay(Overlay overlay, void* context)
{
    m_overlay = overlay;
    m_overlayContext = context;
}

void DesktopPlatform::setCaption(const char* caption)
{
    if (m_window)
        SDL_WM_SetCaption(caption, caption);
}

int DesktopPlatform::displayDescriptor() const
{
    return m_window ? DisplayWait::displayDescriptor() : -1;
}
