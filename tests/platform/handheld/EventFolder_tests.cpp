// Evdev records folded into control events: keys through the map, hats, the stick, a lost device.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "platform/handheld/Controls.h"
#include "platform/handheld/EventFolder.h"

#include <linux/input.h>

namespace {

struct Record {
    uint16_t type;
    uint16_t code;
    int32_t value;
};

struct Seen {
    InputEvent::Type type;
    ButtonMask controls;
    bool operator==(const Seen& other) const { return type == other.type && controls == other.controls; }
};

std::vector<Seen> fold(EventFolder& folder, std::initializer_list<Record> records)
{
    std::deque<InputEvent> out;
    for (const Record& r : records)
        folder.fold(r.type, r.code, r.value, out);
    std::vector<Seen> seen;
    for (const InputEvent& e : out)
        seen.push_back({e.type, e.controls});
    return seen;
}

const InputEvent::Type PRESS = InputEvent::PRESS;
const InputEvent::Type RELEASE = InputEvent::RELEASE;

} // namespace

TEST(EventFolder, KeysHatAndStickBecomeControlsOnceEach)
{
    KeyMap keys;
    EventFolder folder(keys);
    // The kernel's repeat, unmapped keys and other event types give nothing.
    EXPECT_EQ(fold(folder, {{EV_KEY, BTN_EAST, 1}, {EV_KEY, BTN_EAST, 2}, {EV_SYN, 0, 0},
                            {EV_KEY, KEY_F5, 1}, {EV_MSC, 4, 7}, {EV_KEY, BTN_EAST, 0}}),
              (std::vector<Seen>{{PRESS, control::B}, {RELEASE, control::B}}));
    EXPECT_EQ(fold(folder, {{EV_KEY, KEY_KP7, 1}}), (std::vector<Seen>{{PRESS, control::UP | control::LEFT}}));
    // A hat moving straight from one side to the other lets go of the first.
    EXPECT_EQ(fold(folder, {{EV_ABS, ABS_HAT0X, -1}, {EV_ABS, ABS_HAT0X, 1}, {EV_ABS, ABS_HAT0X, 1},
                            {EV_ABS, ABS_HAT0X, 0}}),
              (std::vector<Seen>{{PRESS, control::LEFT}, {RELEASE, control::LEFT}, {PRESS, control::RIGHT},
                                 {RELEASE, control::RIGHT}}));

    // 0..1000: the centre 500, a direction past 250 from it either way.
    folder.setStickRange({0, 1000}, {0, 1000});
    EXPECT_EQ(fold(folder, {{EV_ABS, ABS_Y, 750}, {EV_ABS, ABS_Y, 751}, {EV_ABS, ABS_Y, 900},
                            {EV_ABS, ABS_Y, 300}, {EV_ABS, ABS_Y, 249}, {EV_ABS, ABS_X, 250}}),
              (std::vector<Seen>{{PRESS, control::DOWN}, {RELEASE, control::DOWN}, {PRESS, control::UP}}));

    // Gone: everything it holds is let go at once.
    std::deque<InputEvent> out;
    folder.releaseAll(out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, RELEASE);
    EXPECT_EQ(out[0].controls, control::UP | control::LEFT);
    out.clear();
    folder.releaseAll(out);
    EXPECT_TRUE(out.empty());
}

TEST(KeyMap, ControlSettingsRemapKeysAndSayWhatIsWrong)
{
    KeyMap keys;
    SettingProblem problem;
    EXPECT_TRUE(keys.set("CONTROL_A", WString("KEY_SPACE,305").split(","), &problem)) << problem.value;
    EXPECT_EQ(keys.controlsOf(KEY_SPACE), control::A);
    EXPECT_EQ(keys.controlsOf(305), control::A);
    // The old keys of A no longer are; what 305 stood for before (B) is gone from it.
    EXPECT_EQ(keys.controlsOf(BTN_SOUTH), 0u);
    EXPECT_EQ(keys.controlsOf(KEY_A), 0u);
    EXPECT_EQ(keys.controlsOf(BTN_EAST), control::A);

    EXPECT_FALSE(keys.set("CONTROL_MENU", WString("KEY_SPACE").split(","), &problem));
    EXPECT_EQ(problem.kind, SettingProblem::NO_SUCH_CONTROL);
    EXPECT_EQ(problem.value, "CONTROL_MENU");
    EXPECT_FALSE(keys.set("CONTROL_Y", WString("KEY_NOPE,768,KEY_Q").split(","), &problem));
    EXPECT_EQ(problem.kind, SettingProblem::UNKNOWN_KEY);
    EXPECT_EQ(problem.value, "KEY_NOPE");
    EXPECT_EQ(keys.controlsOf(KEY_Q), control::Y);
    EXPECT_EQ(keys.controlsOf(KEY_Z), 0u);
}
