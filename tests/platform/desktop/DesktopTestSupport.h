// Helpers the desktop back end's tests share: the platform on SDL's dummy driver, key events.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Input.h"
#include "platform/desktop/DesktopPlatform.h"

namespace desktoptest {

// Installed for the whole test program: SDL has one window per process.
inline DesktopPlatform& desktop()
{
    static DesktopPlatform* platform = [] {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        static DesktopPlatform made;
        Platform::install(&made);
        return &made;
    }();
    return *platform;
}

// Drops queued events and held buttons, so one step's input cannot leak into the next.
inline void drainEvents()
{
    SDL_Event pending;
    while (SDL_PollEvent(&pending)) {
    }
    Input::reset();
}

inline void pushKey(Uint8 type, SDLKey key)
{
    SDL_Event event = {};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}
inline void press(SDLKey key) { pushKey(SDL_KEYDOWN, key); }
inline void release(SDLKey key) { pushKey(SDL_KEYUP, key); }

} // namespace desktoptest
