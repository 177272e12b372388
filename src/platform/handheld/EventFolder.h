// One input device's evdev records turned into the launcher's control events.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/InputEvent.h"
#include "platform/handheld/Controls.h"
#include "platform/handheld/KeyMap.h"

class EventFolder {
public:
    // A stick axis's range, as the device reports it (EVIOCGABS).
    struct AxisRange {
        int minimum;
        int maximum;
    };
    // Where the device cannot say: the range most gamepads report.
    static const AxisRange DEFAULT_RANGE;

    explicit EventFolder(const KeyMap& keys);
    // The ranges of the stick's two axes (ABS_X, ABS_Y).
    void setStickRange(const AxisRange& x, const AxisRange& y);

    // One record (type, code, value as struct input_event has them): a mapped key's press or
    // release; a hat (ABS_HAT0X/Y) or the stick (ABS_X/Y, past half of its way from the centre)
    // moving into or out of a direction. The kernel's own key repeat is left out: the launcher
    // repeats held directions itself.
    void fold(uint16_t type, uint16_t code, int32_t value, std::deque<InputEvent>& out);
    // The device is gone: a release of every control it still holds.
    void releaseAll(std::deque<InputEvent>& out);

private:
    // An axis pair's direction bits changed from before to after.
    static void move(ButtonMask before, ButtonMask after, std::deque<InputEvent>& out);
    ButtonMask stickDirection(int axis, int value) const;

    const KeyMap& m_keys;
    AxisRange m_stick[2];
    // What this device holds: by keys, by the hat, by the stick.
    ButtonMask m_byKeys = 0;
    ButtonMask m_hat[2] = {0, 0};
    ButtonMask m_stickHeld[2] = {0, 0};
};
