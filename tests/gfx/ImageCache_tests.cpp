// One decode per path, retries of failed paths, and the loading speed applied only on a miss.
#include "gfx/ImageCache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/BoundedChild.h"
#include "support/PngWriter.h"
#include "launcher/Globals.h"

namespace {

std::string writeRedPixel(const char* name)
{
    std::string path = tempPath(name);
    return writeRgbPng(path, 1, 1, {255, 0, 0, 128}, true) ? path : std::string();
}

DLImage* getCapturing(ImageCache& cache, const char* path, int depth, bool keepAlpha, std::string& printed)
{
    testing::internal::CaptureStdout();
    DLImage* image = cache.get(path, depth, keepAlpha);
    fflush(stdout);
    printed = testing::internal::GetCapturedStdout();
    return image;
}

void setLoadingSpeed(const char* mhz)
{
    if (!mhz) {
        gConfig.remove("SPEED_LOADING");
        return;
    }
    WString::Array words;
    words.append(WString(mhz));
    gConfig.set("SPEED_LOADING", words);
}

void setClockQuietly(int mhz)
{
    testing::internal::CaptureStdout();
    gCpuClock.set(gCpuClock.pll(), gCpuClock.prescaler(), mhz);
    fflush(stdout);
    testing::internal::GetCapturedStdout();
}

} // namespace

TEST(ImageCache, DecodesEachPathOnceWhateverTheLaterRequest)
{
    std::string path = writeRedPixel("cached.png");
    ASSERT_FALSE(path.empty());
    ImageCache cache;
    std::string printed;
    DLImage* first = getCapturing(cache, path.c_str(), 15, true, printed);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ("", printed);
    EXPECT_EQ(15, first->depth());
    EXPECT_TRUE(first->hasAlpha());
    EXPECT_EQ(0xF800, first->pixelAt(0, 0));

    // With the file gone, only the stored image can answer.
    unlink(path.c_str());
    DLImage* second = getCapturing(cache, path.c_str(), 8, false, printed);
    EXPECT_EQ(first, second);
    EXPECT_EQ("", printed);
    EXPECT_EQ(15, second->depth());
    EXPECT_TRUE(second->hasAlpha());
    EXPECT_EQ(1, cache.count());
}

TEST(ImageCache, FailedPathIsReportedAndRetriedEachTime)
{
    std::string path = tempPath("later.png");
    unlink(path.c_str());
    ImageCache cache;
    std::string printed;
    for (int attempt = 0; attempt < 2; attempt++) {
        EXPECT_EQ(nullptr, getCapturing(cache, path.c_str(), 15, false, printed));
        EXPECT_EQ("Could not load image " + path + "\n", printed);
        EXPECT_EQ(0, cache.count());
    }
    ASSERT_TRUE(writeRgbPng(path, 1, 1, {0, 0, 255}, false));
    DLImage* image = getCapturing(cache, path.c_str(), 16, false, printed);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ("", printed);
    EXPECT_EQ(0x001F, image->pixelAt(0, 0));
    EXPECT_EQ(1, cache.count());

    EXPECT_EQ(nullptr, getCapturing(cache, nullptr, 15, false, printed));
    EXPECT_EQ("Could not load image \n", printed);
    unlink(path.c_str());
}

TEST(ImageCache, PathsAreKeyedExactlyAsSpelled)
{
    std::string path = writeRedPixel("spelling.png");
    ASSERT_FALSE(path.empty());
    size_t slash = path.rfind('/');
    ASSERT_NE(std::string::npos, slash);
    std::string doubled = path.substr(0, slash) + "//" + path.substr(slash + 1);
    ImageCache cache;
    std::string printed;
    DLImage* a = getCapturing(cache, path.c_str(), 15, false, printed);
    DLImage* b = getCapturing(cache, doubled.c_str(), 15, false, printed);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_NE(a, b);
    EXPECT_EQ(2, cache.count());
    unlink(path.c_str());
}

TEST(ImageCache, LoadingSpeedAppliedOnlyBeforeANewLoad)
{
    std::string path = writeRedPixel("speed.png");
    ASSERT_FALSE(path.empty());
    ImageCache cache;
    std::string printed;
    setLoadingSpeed("150");
    setClockQuietly(100);

    ASSERT_NE(nullptr, getCapturing(cache, path.c_str(), 15, false, printed));
    EXPECT_EQ(150, gCpuClock.mhz());
    EXPECT_NE(std::string::npos, printed.find("Switching CPU to 150 Mhz")) << printed;

    setClockQuietly(100);
    ASSERT_NE(nullptr, getCapturing(cache, path.c_str(), 15, false, printed));
    EXPECT_EQ(100, gCpuClock.mhz());
    EXPECT_EQ("", printed);

    // A miss that fails still ran at the loading speed.
    std::string missing = tempPath("speed-missing.png");
    EXPECT_EQ(nullptr, getCapturing(cache, missing.c_str(), 15, false, printed));
    EXPECT_EQ(150, gCpuClock.mhz());

    setLoadingSpeed(nullptr);
    setClockQuietly(100);
    EXPECT_EQ(nullptr, getCapturing(cache, missing.c_str(), 15, false, printed));
    EXPECT_EQ(100, gCpuClock.mhz());
    unlink(path.c_str());
}

TEST(ImageCache, GlobalCacheReleasesItsImagesAtExit)
{
    // Held only by the global cache until exit: LeakSanitizer fails this process if it is dropped.
    std::string path = writeRedPixel("global.png");
    ASSERT_FALSE(path.empty());
    std::string printed;
    DLImage* image = getCapturing(gImageCache, path.c_str(), 15, true, printed);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(image, gImageCache.get(path.c_str(), 15, true));
    unlink(path.c_str());
}

TEST(ImageCache, ClearDropsEveryImageSoTheNextRequestDecodesAgain)
{
    std::string path = writeRedPixel("clear.png");
    ASSERT_FALSE(path.empty());
    ImageCache cache;
    std::string printed;
    DLImage* first = getCapturing(cache, path.c_str(), 15, true, printed);
    ASSERT_NE(nullptr, first);
    WString::Array paths = cache.paths();
    ASSERT_EQ(1, paths.count());
    EXPECT_EQ(path, paths.at(0).printable());

    cache.clear();
    EXPECT_EQ(0, cache.count());
    EXPECT_EQ(0, cache.paths().count());

    // Decoded afresh: another depth is honoured now, which a cached image would ignore.
    DLImage* second = getCapturing(cache, path.c_str(), 16, false, printed);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ("", printed);
    EXPECT_EQ(16, second->depth());
    EXPECT_FALSE(second->hasAlpha());
    EXPECT_EQ(1, cache.count());

    // After the file is gone a cleared cache cannot answer from memory any more.
    unlink(path.c_str());
    cache.clear();
    EXPECT_EQ(nullptr, getCapturing(cache, path.c_str(), 15, true, printed));
    EXPECT_EQ("Could not load image " + path + "\n", printed);
}

TEST(ImageCache, ImagesPastTheBudgetAreRefusedLikeUnreadableOnes)
{
    // The largest image the decoder takes, with alpha: 921,600 bytes once decoded.
    const int width = 640, height = 480;
    const size_t imageBytes = (size_t)width * height * 3;
    std::string path = tempPath("budget.png");
    ASSERT_TRUE(writeRgbPng(path, width, height, std::vector<uint8_t>(imageBytes * 4 / 3, 7), true));
    const size_t slash = path.rfind('/');
    const std::string dir = path.substr(0, slash + 1);
    const std::string name = path.substr(slash + 1);
    const int spellings = 40;
    const int fitting = int(ImageCache::BUDGET_BYTES / imageBytes);
    ASSERT_LT(fitting, spellings);

    // Each spelling of one file is an image of its own, so spellings alone once filled memory.
    ChildOutcome outcome = runInBoundedChild(
        [&]() {
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDOUT_FILENO);
            ImageCache cache;
            std::string spelled = dir;
            int loaded = 0;
            for (int i = 0; i < spellings; i++, spelled += "./") {
                DLImage* image = cache.get((spelled + name).c_str(), 15, true);
                // Once one is refused, every later one is too.
                if (image && loaded < i)
                    return 61;
                loaded += image ? 1 : 0;
            }
            return cache.bytes() == size_t(loaded) * imageBytes ? loaded : 62;
        },
        32 * 1024);
    EXPECT_FALSE(outcome.overLimit);
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(fitting, outcome.result);
    unlink(path.c_str());
}
