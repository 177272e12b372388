// The key table: defaults for handhelds, names of the keys a setting may use, and remapping.
#include "platform/handheld/KeyMap.h"

#include <linux/input-event-codes.h>

#include <cstdlib>
#include <cstring>

namespace {

struct KeyName {
    const char* name;
    unsigned code;
};

#define KEY_NAME(code) {#code, code}
// The names a CONTROL_ setting may use; any other key is given by its number.
const KeyName KEY_NAMES[] = {
    KEY_NAME(KEY_ESC), KEY_NAME(KEY_1), KEY_NAME(KEY_2), KEY_NAME(KEY_3), KEY_NAME(KEY_4),
    KEY_NAME(KEY_5), KEY_NAME(KEY_6), KEY_NAME(KEY_7), KEY_NAME(KEY_8), KEY_NAME(KEY_9),
    KEY_NAME(KEY_0), KEY_NAME(KEY_MINUS), KEY_NAME(KEY_EQUAL), KEY_NAME(KEY_BACKSPACE),
    KEY_NAME(KEY_TAB), KEY_NAME(KEY_Q), KEY_NAME(KEY_W), KEY_NAME(KEY_E), KEY_NAME(KEY_R),
    KEY_NAME(KEY_T), KEY_NAME(KEY_Y), KEY_NAME(KEY_U), KEY_NAME(KEY_I), KEY_NAME(KEY_O),
    KEY_NAME(KEY_P), KEY_NAME(KEY_ENTER), KEY_NAME(KEY_LEFTCTRL), KEY_NAME(KEY_A),
    KEY_NAME(KEY_S), KEY_NAME(KEY_D), KEY_NAME(KEY_F), KEY_NAME(KEY_G), KEY_NAME(KEY_H),
    KEY_NAME(KEY_J), KEY_NAME(KEY_K), KEY_NAME(KEY_L), KEY_NAME(KEY_LEFTSHIFT),
    KEY_NAME(KEY_Z), KEY_NAME(KEY_X), KEY_NAME(KEY_C), KEY_NAME(KEY_V), KEY_NAME(KEY_B),
    KEY_NAME(KEY_N), KEY_NAME(KEY_M), KEY_NAME(KEY_RIGHTSHIFT), KEY_NAME(KEY_LEFTALT),
    KEY_NAME(KEY_SPACE), KEY_NAME(KEY_F1), KEY_NAME(KEY_F2), KEY_NAME(KEY_F3),
    KEY_NAME(KEY_F4), KEY_NAME(KEY_F5), KEY_NAME(KEY_F6), KEY_NAME(KEY_F7), KEY_NAME(KEY_F8),
    KEY_NAME(KEY_F9), KEY_NAME(KEY_F10), KEY_NAME(KEY_F11), KEY_NAME(KEY_F12),
    KEY_NAME(KEY_KP7), KEY_NAME(KEY_KP8), KEY_NAME(KEY_KP9), KEY_NAME(KEY_KPMINUS),
    KEY_NAME(KEY_KP4), KEY_NAME(KEY_KP5), KEY_NAME(KEY_KP6), KEY_NAME(KEY_KPPLUS),
    KEY_NAME(KEY_KP1), KEY_NAME(KEY_KP2), KEY_NAME(KEY_KP3), KEY_NAME(KEY_KP0),
    KEY_NAME(KEY_KPENTER), KEY_NAME(KEY_RIGHTCTRL), KEY_NAME(KEY_RIGHTALT), KEY_NAME(KEY_HOME),
    KEY_NAME(KEY_UP), KEY_NAME(KEY_PAGEUP), KEY_NAME(KEY_LEFT), KEY_NAME(KEY_RIGHT),
    KEY_NAME(KEY_END), KEY_NAME(KEY_DOWN), KEY_NAME(KEY_PAGEDOWN), KEY_NAME(KEY_INSERT),
    KEY_NAME(KEY_DELETE), KEY_NAME(KEY_MUTE), KEY_NAME(KEY_VOLUMEDOWN),
    KEY_NAME(KEY_VOLUMEUP), KEY_NAME(KEY_POWER), KEY_NAME(KEY_MENU), KEY_NAME(KEY_BACK),
    KEY_NAME(KEY_HOMEPAGE), KEY_NAME(KEY_SELECT), KEY_NAME(BTN_SOUTH), KEY_NAME(BTN_A),
    KEY_NAME(BTN_EAST), KEY_NAME(BTN_B), KEY_NAME(BTN_C), KEY_NAME(BTN_NORTH), KEY_NAME(BTN_X),
    KEY_NAME(BTN_WEST), KEY_NAME(BTN_Y), KEY_NAME(BTN_Z), KEY_NAME(BTN_TL), KEY_NAME(BTN_TR),
    KEY_NAME(BTN_TL2), KEY_NAME(BTN_TR2), KEY_NAME(BTN_SELECT), KEY_NAME(BTN_START),
    KEY_NAME(BTN_MODE), KEY_NAME(BTN_THUMBL), KEY_NAME(BTN_THUMBR), KEY_NAME(BTN_DPAD_UP),
    KEY_NAME(BTN_DPAD_DOWN), KEY_NAME(BTN_DPAD_LEFT), KEY_NAME(BTN_DPAD_RIGHT),
    KEY_NAME(BTN_TRIGGER_HAPPY1), KEY_NAME(BTN_TRIGGER_HAPPY2), KEY_NAME(BTN_TRIGGER_HAPPY3),
    KEY_NAME(BTN_TRIGGER_HAPPY4),
};
#undef KEY_NAME

struct Binding {
    unsigned code;
    ButtonMask bits;
};

const Binding DEFAULTS[] = {
    // The d-pad, as gpio-keys and gamepads report it, is the stick.
    {KEY_UP, control::UP}, {KEY_DOWN, control::DOWN}, {KEY_LEFT, control::LEFT},
    {KEY_RIGHT, control::RIGHT}, {BTN_DPAD_UP, control::UP}, {BTN_DPAD_DOWN, control::DOWN},
    {BTN_DPAD_LEFT, control::LEFT}, {BTN_DPAD_RIGHT, control::RIGHT},
    // Face buttons by their gamepad names (BTN_A is BTN_SOUTH, and so on).
    {BTN_A, control::A}, {BTN_B, control::B}, {BTN_X, control::X}, {BTN_Y, control::Y},
    {BTN_TL, control::L}, {BTN_TR, control::R}, {BTN_START, control::START},
    {BTN_SELECT, control::SELECT}, {BTN_THUMBL, control::PUSH},
    {KEY_VOLUMEDOWN, control::VOLDOWN}, {KEY_VOLUMEUP, control::VOLUP},
    // The desktop build's keys.
    {KEY_KP8, control::UP}, {KEY_KP2, control::DOWN}, {KEY_KP4, control::LEFT},
    {KEY_KP6, control::RIGHT}, {KEY_KP7, control::UP | control::LEFT},
    {KEY_KP9, control::UP | control::RIGHT}, {KEY_KP1, control::DOWN | control::LEFT},
    {KEY_KP3, control::DOWN | control::RIGHT}, {KEY_KP5, control::PUSH}, {KEY_S, control::START},
    {KEY_ENTER, control::SELECT}, {KEY_LEFTSHIFT, control::L}, {KEY_RIGHTSHIFT, control::R},
    {KEY_A, control::A}, {KEY_B, control::B}, {KEY_X, control::X}, {KEY_Z, control::Y},
    {KEY_KPMINUS, control::VOLDOWN}, {KEY_KPPLUS, control::VOLUP},
};

static_assert(KEY_MAX + 1 == KeyMap::CODE_COUNT, "one entry per key code");

} // namespace

const KeyMap::Control KeyMap::CONTROLS[] = {
    {"UP", control::UP},       {"DOWN", control::DOWN},     {"LEFT", control::LEFT},
    {"RIGHT", control::RIGHT}, {"A", control::A},           {"B", control::B},
    {"X", control::X},         {"Y", control::Y},           {"L", control::L},
    {"R", control::R},         {"START", control::START},   {"SELECT", control::SELECT},
    {"VOLUP", control::VOLUP}, {"VOLDOWN", control::VOLDOWN}, {"PUSH", control::PUSH},
};
const int KeyMap::CONTROL_COUNT = int(sizeof(CONTROLS) / sizeof(CONTROLS[0]));

KeyMap::KeyMap()
{
    memset(m_controls, 0, sizeof(m_controls));
    for (const Binding& binding : DEFAULTS)
        m_controls[binding.code] = binding.bits;
}

bool KeyMap::isSetting(const char* setting)
{
    return strncmp(setting, SETTING_PREFIX, strlen(SETTING_PREFIX)) == 0;
}

bool KeyMap::codeOf(const char* key, unsigned& code)
{
    for (const KeyName& name : KEY_NAMES) {
        if (strcmp(name.name, key) == 0) {
            code = name.code;
            return true;
        }
    }
    char* end = nullptr;
    const long number = strtol(key, &end, 10);
    if (!*key || *end || number < 0 || number >= long(CODE_COUNT))
        return false;
    code = unsigned(number);
    return true;
}

bool KeyMap::set(const char* setting, const WString::Array& keys, SettingProblem* problem)
{
    if (!isSetting(setting))
        return false;
    const char* name = setting + strlen(SETTING_PREFIX);
    const Control* control = nullptr;
    for (const Control& c : CONTROLS)
        if (strcmp(c.name, name) == 0)
            control = &c;
    if (!control) {
        if (problem)
            *problem = {SettingProblem::NO_SUCH_CONTROL, setting};
        return false;
    }
    for (unsigned code = 0; code < CODE_COUNT; ++code)
        m_controls[code] &= ~control->bits;
    bool allKnown = true;
    for (int i = 0; i < keys.count(); ++i) {
        unsigned code = 0;
        if (codeOf(keys.at(i).printable(), code)) {
            m_controls[code] = control->bits;
        } else if (allKnown) {
            allKnown = false;
            if (problem)
                *problem = {SettingProblem::UNKNOWN_KEY, keys.at(i).printable()};
        }
    }
    return allKnown;
}
