// The idle wait on a real X display: it never sleeps past an event that is already read or queued.
#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool) would break its headers.
#include <SDL.h>
#include <SDL_syswm.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "platform/Input.h"
#include "platform/Video.h"
#include "platform/desktop/DesktopPlatform.h"
#include "platform/desktop/DisplayWait.h"

namespace {

using Clock = std::chrono::steady_clock;

const int LONG_WAIT_MS = 5000;
const int SHORT_WAIT_MS = 150;
const auto SENDER_DELAY = std::chrono::milliseconds(100);

SDL_SysWMinfo windowInfo()
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    EXPECT_GT(SDL_GetWMInfo(&info), 0);
    return info;
}

// What a window manager sends when the user closes the window, from a connection of its own.
void sendWindowClose()
{
    Display* other = XOpenDisplay(nullptr);
    ASSERT_TRUE(other != nullptr);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = windowInfo().info.x11.wmwindow;
    event.xclient.message_type = XInternAtom(other, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(other, "WM_DELETE_WINDOW", False));
    XSendEvent(other, event.xclient.window, False, 0, &event);
    // Delivered by the server once this returns.
    XSync(other, False);
    XCloseDisplay(other);
}

// Runs f on a thread that keeps the quit signals away from itself, so they reach the waiting thread.
template <typename F>
std::thread later(F f)
{
    return std::thread([f] {
        sigset_t quitSignals;
        sigemptyset(&quitSignals);
        sigaddset(&quitSignals, SIGINT);
        sigaddset(&quitSignals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &quitSignals, nullptr);
        std::this_thread::sleep_for(SENDER_DELAY);
        f();
    });
}

class DisplayWaitTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "x11", 1);
        ASSERT_TRUE(getenv("DISPLAY")) << "run by tests/e2e/in_xvfb.py, which provides a display";
        Platform::install(&s_desktop);
        ASSERT_EQ(Video::init(), 0);
    }
    static void TearDownTestSuite()
    {
        Video::close();
        Platform::install(nullptr);
    }
    static DesktopPlatform s_desktop;

    // Takes every event until the window has been quiet for a while (mapping sends a few).
    void SetUp() override
    {
        const auto quietFor = std::chrono::milliseconds(300);
        auto quietSince = Clock::now();
        while (Clock::now() - quietSince < quietFor) {
            SDL_Event event;
            if (SDL_PollEvent(&event))
                quietSince = Clock::now();
            else
                SDL_Delay(10);
        }
        Input::reset();
    }
};

DesktopPlatform DisplayWaitTest::s_desktop;

TEST_F(DisplayWaitTest, SleepsUntilTheTimeoutWhenNothingArrives)
{
    const auto start = Clock::now();
    EXPECT_EQ(DisplayWait::wait(SHORT_WAIT_MS), DisplayWait::TIMED_OUT);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(SHORT_WAIT_MS - 10));
}

TEST_F(DisplayWaitTest, AnEventArrivingDuringTheWaitEndsIt)
{
    std::thread sender = later([] { sendWindowClose(); });
    EXPECT_EQ(DisplayWait::wait(LONG_WAIT_MS), DisplayWait::READY);
    sender.join();
    testing::internal::CaptureStdout();
    EXPECT_EQ(Input::poll(), BTN_QUIT);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Quit issued\n");
}

TEST_F(DisplayWaitTest, EventsXlibReadDuringARoundTripAreNotSleptOn)
{
    sendWindowClose();
    // A reply wait reads the socket dry and keeps the event in Xlib's queue, where polling the
    // connection cannot see it; SDL makes such round trips itself.
    XSync(windowInfo().info.x11.display, False);
    EXPECT_EQ(DisplayWait::wait(LONG_WAIT_MS), DisplayWait::PENDING);
    testing::internal::CaptureStdout();
    EXPECT_EQ(Input::poll(), BTN_QUIT);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Quit issued\n");
}

TEST_F(DisplayWaitTest, AQuitSignalBeforeTheWaitIsNotSleptOn)
{
    // SDL's handler queues its quit event: nothing reaches the X connection.
    raise(SIGTERM);
    EXPECT_EQ(DisplayWait::wait(LONG_WAIT_MS), DisplayWait::PENDING);
    testing::internal::CaptureStdout();
    EXPECT_EQ(Input::poll(), BTN_QUIT);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Quit issued\n");
}

TEST_F(DisplayWaitTest, AQuitSignalDuringTheWaitEndsIt)
{
    std::thread sender = later([] { kill(getpid(), SIGINT); });
    EXPECT_EQ(DisplayWait::wait(LONG_WAIT_MS), DisplayWait::INTERRUPTED);
    sender.join();
    testing::internal::CaptureStdout();
    EXPECT_EQ(Input::poll(), BTN_QUIT);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Quit issued\n");
}

} // namespace
