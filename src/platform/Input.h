// The platform's events folded into the held ButtonMask, one event per poll.
#pragma once

#include "platform/ButtonMask.h"
#include "platform/InputEvent.h"

class Input {
public:
    // Takes at most one pending event from the platform; returns the held mask (BTN_QUIT for the
    // quit key or a close).
    static ButtonMask poll();
    // Folds one event into the held mask as poll does.
    static ButtonMask apply(const InputEvent& event);
    static ButtonMask held();
    static void reset();
};
