// Keyboard events folded into the held ButtonMask, one event per poll.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Input.h"
#include "platform/Video.h"
#include "platform/desktop/DesktopTestSupport.h"
#include "platform/desktop/DisplayWait.h"

namespace {

using desktoptest::press;
using desktoptest::release;

class InputTest : public testing::Test {
protected:
    void SetUp() override
    {
        desktoptest::desktop();
        ASSERT_EQ(Video::init(), 0);
        desktoptest::drainEvents();
    }
};

struct KeyCase {
    SDLKey key;
    ButtonMask bits;
};

const KeyCase KEY_CASES[] = {
    {SDLK_KP8, 0x1},
    {SDLK_KP2, 0x10},
    {SDLK_KP4, 0x4},
    {SDLK_KP6, 0x40},
    {SDLK_KP7, 0x5},
    {SDLK_KP9, 0x41},
    {SDLK_KP1, 0x14},
    {SDLK_KP3, 0x50},
    {SDLK_KP5, 0x8000000},
    {SDLK_s, 0x100},
    {SDLK_RETURN, 0x200},
    {SDLK_LSHIFT, 0x400},
    {SDLK_RSHIFT, 0x800},
    {SDLK_a, 0x1000},
    {SDLK_b, 0x2000},
    {SDLK_x, 0x4000},
    {SDLK_z, 0x8000},
    {SDLK_KP_MINUS, 0x400000},
    {SDLK_KP_PLUS, 0x800000},
    {SDLK_q, 0},
    {SDLK_y, 0},
    {SDLK_NUMLOCK, 0},
    {SDLK_KP0, 0},
};

} // namespace

TEST_F(InputTest, EveryKeySetsAndClearsItsBits)
{
    for (const KeyCase& c : KEY_CASES) {
        SCOPED_TRACE(testing::Message() << "key " << c.key);
        press(SDLK_a);
        ASSERT_EQ(Input::poll(), ButtonMask(BTN_A));
        press(c.key);
        EXPECT_EQ(Input::poll(), c.bits | BTN_A);
        EXPECT_EQ(Input::held(), c.bits | BTN_A);
        release(c.key);
        EXPECT_EQ(Input::poll(), c.key == SDLK_a ? 0u : ButtonMask(BTN_A));
        release(SDLK_a);
        EXPECT_EQ(Input::poll(), 0u);
    }
}

TEST_F(InputTest, DiagonalReleaseClearsBothDirectionsEvenWhileOneIsHeld)
{
    press(SDLK_KP6);
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_RIGHT));
    press(SDLK_KP9);
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_RIGHT | BTN_UP));
    release(SDLK_KP9);
    EXPECT_EQ(Input::poll(), 0u);
    // Releasing the key that is still physically down changes nothing more.
    release(SDLK_KP6);
    EXPECT_EQ(Input::poll(), 0u);
}

TEST_F(InputTest, OneEventPerPoll)
{
    EXPECT_EQ(Input::poll(), 0u);
    press(SDLK_KP4);
    press(SDLK_b);
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_LEFT));
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_LEFT | BTN_B));
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_LEFT | BTN_B));
}

TEST_F(InputTest, EscapeAndWindowCloseAskToQuitWithoutChangingTheHeldMask)
{
    press(SDLK_a);
    press(SDLK_ESCAPE);
    release(SDLK_ESCAPE);
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_A));
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_QUIT));
    EXPECT_EQ(Input::held(), ButtonMask(BTN_A));
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_A));
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_A));

    SDL_Event close = {};
    close.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&close), 0);
    testing::internal::CaptureStdout();
    ButtonMask quit = Input::poll();
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Quit issued\n");
    EXPECT_EQ(quit, ButtonMask(BTN_QUIT));
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_A));
}

TEST_F(InputTest, OtherEventsAndResetLeaveOrClearTheMask)
{
    press(SDLK_x);
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_X));
    SDL_Event user = {};
    user.type = SDL_USEREVENT;
    ASSERT_EQ(SDL_PushEvent(&user), 0);
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_X));

    Input::reset();
    EXPECT_EQ(Input::held(), 0u);
    press(SDLK_z);
    EXPECT_EQ(Input::poll(), ButtonMask(BTN_Y));
    ASSERT_EQ(Video::init(), 0);
    EXPECT_EQ(Input::held(), 0u);
}

// The dummy driver has no connection to wait on: the loop must keep pacing itself, not block.
TEST_F(InputTest, IdleWaitOnADriverWithoutADisplayReturnsAtOnce)
{
    EXPECT_EQ(DisplayWait::wait(DisplayWait::FOREVER), DisplayWait::NO_DISPLAY);
}
