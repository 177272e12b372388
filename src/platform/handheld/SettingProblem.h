// What is wrong with one of the handheld launcher's settings: a fact the checker words.
#pragma once

#include <string>

struct SettingProblem {
    enum Kind {
        NONE,
        ROTATION_NOT_0_OR_180, // value: what SCREEN_ROTATION was given
        NO_SUCH_CONTROL,       // value: the CONTROL_ setting that names no control
        UNKNOWN_KEY,           // value: the first key that is neither a name nor a code
    };
    Kind kind = NONE;
    std::string value;
};
