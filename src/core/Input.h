// Keyboard events folded into the held ButtonMask, one event per poll.
#pragma once

#include "core/ButtonMask.h"

union SDL_Event;

class Input {
public:
    // Takes at most one pending SDL event; returns the held mask (0x300 for Escape or window close).
    static ButtonMask poll();
    // Folds one event into the held mask as poll does, for a caller that takes events itself.
    static ButtonMask apply(const SDL_Event& event);
    static ButtonMask held();
    static void reset();
};
