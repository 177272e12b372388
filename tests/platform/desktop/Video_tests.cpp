// Back buffers, the 2x2 doubling copy into the window, and buffer switching.
#include <SDL.h>
#include <gtest/gtest.h>
#include <vector>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Video.h"
#include "platform/desktop/DesktopTestSupport.h"

namespace {

void openScreen()
{
    desktoptest::desktop();
    ASSERT_EQ(Video::init(), 0);
}

uint16_t patternPixel(int x, int y)
{
    // Every pixel distinct enough that a shifted or swapped copy shows.
    return uint16_t((x * 131 + y * 7919) & 0xFFDF);
}

uint16_t windowPixel(SDL_Surface* window, int x, int y)
{
    const uint8_t* row = static_cast<const uint8_t*>(window->pixels) + y * window->pitch;
    return reinterpret_cast<const uint16_t*>(row)[x];
}

} // namespace

TEST(Video, InitOpensTheWindowAndKeepsItsBuffersOnASecondInit)
{
    openScreen();
    SDL_Surface* window = SDL_GetVideoSurface();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->w, 640);
    EXPECT_EQ(window->h, 480);
    EXPECT_EQ(window->format->BitsPerPixel, 16);
    char* title = nullptr;
    SDL_WM_GetCaption(&title, nullptr);
    EXPECT_STREQ(title, "Trevandel");

    uint16_t* first = Video::backBuffer(0);
    uint16_t* second = Video::backBuffer(1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(Video::backBuffer(2), nullptr);

    Video::flip();
    openScreen();
    EXPECT_EQ(Video::backBuffer(0), first);
    EXPECT_EQ(Video::backBuffer(1), second);
    EXPECT_EQ(Video::bufferIndex(), 0);
    EXPECT_EQ(Video::screen, first);
}

TEST(Video, FlipDoublesEveryPixelAndSwitchesBuffers)
{
    openScreen();
    for (int y = 0; y < Video::HEIGHT; ++y)
        for (int x = 0; x < Video::WIDTH; ++x)
            Video::screen[y * Video::WIDTH + x] = patternPixel(x, y);
    Video::screen[239 * Video::WIDTH + 319] = 0xF81F;
    uint16_t* drawn = Video::screen;
    unsigned framesBefore = Video::flipCount();

    Video::flip();

    SDL_Surface* window = SDL_GetVideoSurface();
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx)
            EXPECT_EQ(windowPixel(window, 638 + dx, 478 + dy), 0xF81F);
    int mismatches = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (!(x >= 638 && y >= 478) && windowPixel(window, x, y) != patternPixel(x / 2, y / 2))
                ++mismatches;
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(Video::flipCount(), framesBefore + 1);

    EXPECT_EQ(Video::bufferIndex(), 1);
    EXPECT_EQ(Video::screen, Video::backBuffer(1));
    EXPECT_NE(Video::screen, drawn);

    Video::flip();
    EXPECT_EQ(Video::bufferIndex(), 0);
    EXPECT_EQ(Video::screen, drawn);
    // The buffer drawing returns to still holds the frame from two flips ago.
    EXPECT_EQ(Video::screen[239 * Video::WIDTH + 319], 0xF81F);
    EXPECT_EQ(Video::screen[5 * Video::WIDTH + 17], patternPixel(17, 5));
}

TEST(Video, AFailedStartOfSdlSaysWhyOnStandardError)
{
    char path[] = "/tmp/trevandel-video-XXXXXX";
    int log = mkstemp(path);
    ASSERT_GE(log, 0);
    fflush(nullptr);
    pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        // A fresh start of SDL with a video driver that does not exist.
        desktoptest::desktop();
        SDL_Quit();
        setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
        dup2(log, STDERR_FILENO);
        int result = Video::init();
        fflush(stderr);
        _exit(result);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    std::string written;
    char chunk[256];
    ssize_t n;
    lseek(log, 0, SEEK_SET);
    while ((n = read(log, chunk, sizeof(chunk))) > 0)
        written.append(chunk, size_t(n));
    close(log);
    unlink(path);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(1, WEXITSTATUS(status));
    const std::string lead = "Couldn't initialize SDL: ";
    ASSERT_EQ(0u, written.rfind(lead, 0)) << written;
    EXPECT_GT(written.size(), lead.size() + 1) << "no reason given: " << written;
    EXPECT_EQ('\n', written.back());
}
