// Which handheld controls each Linux key code stands for, with the defaults and CONTROL_ settings.
#pragma once

#include <string>

#include "platform/handheld/Controls.h"
#include "platform/handheld/SettingProblem.h"
#include "text/WString.h"

class KeyMap {
public:
    // Key and button codes as <linux/input-event-codes.h> numbers them (KEY_MAX + 1).
    static const unsigned CODE_COUNT = 0x300;
    // The configuration key that remaps a control: CONTROL_A=BTN_SOUTH,KEY_SPACE.
    static constexpr const char* SETTING_PREFIX = "CONTROL_";

    struct Control {
        const char* name;
        ButtonMask bits;
    };
    // The controls a setting may name, after SETTING_PREFIX.
    static const Control CONTROLS[];
    static const int CONTROL_COUNT;

    // The default map: the usual gpio-keys and gamepad codes of handhelds, the arrow keys for
    // the stick, and the desktop build's keys, so a keyboard works as it does there.
    KeyMap();

    ButtonMask controlsOf(unsigned code) const { return code < CODE_COUNT ? m_controls[code] : 0; }
    // Whether setting (an upper-case configuration key) is one of the CONTROL_ settings.
    static bool isSetting(const char* setting);
    // Takes CONTROL_<NAME>=keys: exactly these codes now stand for that control, in place of
    // what they stood for before, and no other code does. Keys are names (KEY_SPACE, BTN_SOUTH)
    // or decimal codes. Returns false, with what is wrong in problem (when given), for a name
    // that is no control or a key that is not known; a bad key is skipped, the others are taken.
    bool set(const char* setting, const WString::Array& keys, SettingProblem* problem = nullptr);
    // A key's code from its name or its decimal number; false when it is neither.
    static bool codeOf(const char* key, unsigned& code);

private:
    ButtonMask m_controls[CODE_COUNT];
};
