// Keyboard events folded into the held ButtonMask, one event per poll.
#pragma once

#include "core/ButtonMask.h"

class Input {
public:
    // Takes at most one pending SDL event; returns the held mask (0x300 for Escape or window close).
    static ButtonMask poll();
    static ButtonMask held();
    static void reset();
};
