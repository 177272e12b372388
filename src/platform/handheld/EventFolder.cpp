// Keys through the key map; hat and stick axes into stick directions.
#include "platform/handheld/EventFolder.h"

#include <linux/input.h>

namespace {

// Kernel key values: 0 release, 1 press, 2 the kernel's own repeat.
const int32_t KEY_RELEASED = 0;
const int32_t KEY_PRESSED = 1;

} // namespace

const EventFolder::AxisRange EventFolder::DEFAULT_RANGE = {-32768, 32767};

EventFolder::EventFolder(const KeyMap& keys) : m_keys(keys), m_stick{DEFAULT_RANGE, DEFAULT_RANGE} {}

void EventFolder::setStickRange(const AxisRange& x, const AxisRange& y)
{
    m_stick[0] = x;
    m_stick[1] = y;
}

void EventFolder::move(ButtonMask before, ButtonMask after, std::deque<InputEvent>& out)
{
    if (before == after)
        return;
    if (before)
        out.push_back({InputEvent::RELEASE, before, 0});
    if (after)
        out.push_back({InputEvent::PRESS, after, 0});
}

ButtonMask EventFolder::stickDirection(int axis, int value) const
{
    const AxisRange& range = m_stick[axis];
    const long long centre2 = (long long)range.minimum + range.maximum;
    const long long span = (long long)range.maximum - range.minimum;
    // Twice the distance from the centre against the full span: past a half, a direction.
    const long long away = 2LL * value - centre2;
    if (span <= 0 || 2 * (away < 0 ? -away : away) <= span)
        return 0;
    if (axis == 0)
        return away < 0 ? control::LEFT : control::RIGHT;
    return away < 0 ? control::UP : control::DOWN;
}

void EventFolder::fold(uint16_t type, uint16_t code, int32_t value, std::deque<InputEvent>& out)
{
    if (type == EV_KEY) {
        const ButtonMask controls = m_keys.controlsOf(code);
        if (!controls || (value != KEY_PRESSED && value != KEY_RELEASED))
            return;
        if (value == KEY_PRESSED)
            m_byKeys |= controls;
        else
            m_byKeys &= ~controls;
        out.push_back({value == KEY_PRESSED ? InputEvent::PRESS : InputEvent::RELEASE, controls, code});
        return;
    }
    if (type != EV_ABS)
        return;
    if (code == ABS_HAT0X || code == ABS_HAT0Y) {
        const int axis = code == ABS_HAT0X ? 0 : 1;
        ButtonMask after = 0;
        if (value != 0)
            after = axis == 0 ? (value < 0 ? control::LEFT : control::RIGHT)
                              : (value < 0 ? control::UP : control::DOWN);
        move(m_hat[axis], after, out);
        m_hat[axis] = after;
    } else if (code == ABS_X || code == ABS_Y) {
        const int axis = code == ABS_X ? 0 : 1;
        const ButtonMask after = stickDirection(axis, value);
        move(m_stickHeld[axis], after, out);
        m_stickHeld[axis] = after;
    }
}

void EventFolder::releaseAll(std::deque<InputEvent>& out)
{
    const ButtonMask held = m_byKeys | m_hat[0] | m_hat[1] | m_stickHeld[0] | m_stickHeld[1];
    if (held)
        out.push_back({InputEvent::RELEASE, held, 0});
    m_byKeys = 0;
    m_hat[0] = m_hat[1] = 0;
    m_stickHeld[0] = m_stickHeld[1] = 0;
}
