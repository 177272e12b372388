// One thing that happened at the controls, in the launcher's terms.
#pragma once

#include "platform/ButtonMask.h"

struct InputEvent {
    enum Type {
        PRESS,    // a key or button went down
        RELEASE,  // a key or button came up
        QUIT_KEY, // the back end's own quit key (Escape on the desktop)
        CLOSE,    // the window was closed, or the process was asked to end
    };
    Type type;
    // The handheld controls the key stands for; 0 for a key that is none of them.
    ButtonMask controls;
    // The back end's own code of the key, for a tool that gives some keys a meaning of its own.
    unsigned key;
};
