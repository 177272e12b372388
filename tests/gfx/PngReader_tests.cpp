// Decoding of every PNG colour type into 8-bit RGB/RGBA rows, and clean failure on bad input.
#include "gfx/PngReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstdlib>

#include "gfx/DLImage.h"
#include "support/BoundedChild.h"
#include "support/PngWriter.h"

namespace {

struct DecodeCase {
    const char* name;
    PngFile file;
    int channels;
    std::vector<uint8_t> samples;
};

PngFile makeFile(int width, int height, int colourType, int bitDepth, std::vector<std::vector<uint8_t>> rows)
{
    PngFile file;
    file.width = width;
    file.height = height;
    file.colourType = colourType;
    file.bitDepth = bitDepth;
    file.rows = rows;
    return file;
}

std::vector<DecodeCase> decodeCases()
{
    std::vector<DecodeCase> cases;
    // Distinct values per channel so swapped channels or skipped pixels show.
    cases.push_back({"rgb", makeFile(2, 2, PNG_COLOR_TYPE_RGB, 8, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}), 3,
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}});
    cases.push_back({"rgba", makeFile(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {{10, 20, 30, 40, 50, 60, 70, 80}}), 4,
                     {10, 20, 30, 40, 50, 60, 70, 80}});
    // High bytes survive, low bytes are dropped.
    cases.push_back({"rgb16",
                     makeFile(1, 1, PNG_COLOR_TYPE_RGB, 16, {{0x12, 0xFF, 0x34, 0x01, 0x56, 0x80}}), 3,
                     {0x12, 0x34, 0x56}});
    cases.push_back({"rgba16",
                     makeFile(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {{0x90, 1, 0xA0, 2, 0xB0, 3, 0xC0, 4}}), 4,
                     {0x90, 0xA0, 0xB0, 0xC0}});
    cases.push_back({"grey", makeFile(3, 1, PNG_COLOR_TYPE_GRAY, 8, {{0, 77, 255}}), 3,
                     {0, 0, 0, 77, 77, 77, 255, 255, 255}});
    // Two-bit grey: levels 0, 1, 2, 3 scale to 0, 85, 170, 255.
    cases.push_back({"grey2", makeFile(4, 1, PNG_COLOR_TYPE_GRAY, 2, {{0x1B}}), 3,
                     {0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}});
    cases.push_back({"greyAlpha", makeFile(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{200, 100, 50, 255}}), 4,
                     {200, 200, 200, 100, 50, 50, 50, 255}});
    cases.push_back({"grey16", makeFile(1, 1, PNG_COLOR_TYPE_GRAY, 16, {{0xAB, 0xCD}}), 3, {0xAB, 0xAB, 0xAB}});

    DecodeCase palette{"paletteTrns", makeFile(3, 1, PNG_COLOR_TYPE_PALETTE, 8, {{0, 1, 2}}), 4,
                       {255, 0, 0, 0, 0, 255, 0, 128, 0, 0, 255, 255}};
    palette.file.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    palette.file.paletteAlpha = {0, 128};
    cases.push_back(palette);

    DecodeCase opaquePalette{"palette4bit", makeFile(2, 1, PNG_COLOR_TYPE_PALETTE, 4, {{0x10}}), 3,
                             {9, 8, 7, 1, 2, 3}};
    opaquePalette.file.palette = {{1, 2, 3}, {9, 8, 7}};
    cases.push_back(opaquePalette);

    DecodeCase keyed{"rgbTransparentColour", makeFile(2, 1, PNG_COLOR_TYPE_RGB, 8, {{5, 6, 7, 8, 9, 10}}), 4,
                     {5, 6, 7, 0, 8, 9, 10, 255}};
    keyed.file.hasTransparentColour = true;
    keyed.file.transparentColour.red = 5;
    keyed.file.transparentColour.green = 6;
    keyed.file.transparentColour.blue = 7;
    cases.push_back(keyed);

    DecodeCase greyKeyed{"greyTransparentColour", makeFile(2, 1, PNG_COLOR_TYPE_GRAY, 8, {{33, 44}}), 4,
                         {33, 33, 33, 255, 44, 44, 44, 0}};
    greyKeyed.file.hasTransparentColour = true;
    greyKeyed.file.transparentColour.gray = 44;
    cases.push_back(greyKeyed);
    return cases;
}

// A hostile file of the PNG fuzz corpus as a plain PNG: the corpus copy starts with the fuzz
// target's two position bytes.
std::string hostilePng(const std::string& name)
{
    std::vector<uint8_t> bytes = readBytes(std::string(TEST_CORPUS_DIR) + "/png/" + name);
    const std::string path = tempPath(name);
    if (bytes.size() < 2 || !writeBytes(path, std::vector<uint8_t>(bytes.begin() + 2, bytes.end())))
        return std::string();
    return path;
}

void discardStandardError()
{
    const int fd = open("/dev/null", O_WRONLY);
    if (fd >= 0) {
        dup2(fd, STDERR_FILENO);
        close(fd);
    }
}

} // namespace

TEST(PngReader, DecodesEveryColourTypeToEightBitRgbOrRgba)
{
    for (const DecodeCase& c : decodeCases()) {
        SCOPED_TRACE(c.name);
        std::string path = tempPath(std::string(c.name) + ".png");
        ASSERT_TRUE(writePng(path, c.file));
        unsigned char* buffer = nullptr;
        int width = -1, height = -1, channels = -1;
        testing::internal::CaptureStderr();
        bool ok = readPng(path.c_str(), buffer, width, height, channels);
        EXPECT_EQ("", testing::internal::GetCapturedStderr());
        ASSERT_TRUE(ok);
        ASSERT_NE(nullptr, buffer);
        EXPECT_EQ(c.file.width, width);
        EXPECT_EQ(c.file.height, height);
        EXPECT_EQ(c.channels, channels);
        EXPECT_EQ(c.samples, std::vector<uint8_t>(buffer, buffer + c.samples.size()));
        free(buffer);
        unlink(path.c_str());
    }
}

TEST(PngReader, InterlacedFileDecodesWithoutWarning)
{
    const int width = 9, height = 7;
    std::vector<uint8_t> samples;
    for (int i = 0; i < width * height; i++)
        samples.insert(samples.end(), {(uint8_t)i, (uint8_t)(i * 3), (uint8_t)(255 - i)});
    std::string path = tempPath("interlaced.png");
    ASSERT_TRUE(writeRgbPng(path, width, height, samples, false, true));

    unsigned char* buffer = nullptr;
    int w = 0, h = 0, channels = 0;
    testing::internal::CaptureStderr();
    bool ok = readPng(path.c_str(), buffer, w, h, channels);
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    ASSERT_TRUE(ok);
    EXPECT_EQ(width, w);
    EXPECT_EQ(height, h);
    EXPECT_EQ(3, channels);
    EXPECT_EQ(samples, std::vector<uint8_t>(buffer, buffer + samples.size()));
    free(buffer);
    unlink(path.c_str());
}

TEST(PngReader, FreesThePreviousBufferAndReplacesIt)
{
    std::string path = tempPath("replace.png");
    ASSERT_TRUE(writeRgbPng(path, 1, 1, {1, 2, 3}, false));
    // A leak of this block would be reported by LeakSanitizer.
    unsigned char* buffer = (unsigned char*)malloc(64);
    int w = 0, h = 0, channels = 0;
    ASSERT_TRUE(readPng(path.c_str(), buffer, w, h, channels));
    EXPECT_EQ(1, buffer[0]);
    EXPECT_FALSE(readPng("/nonexistent/trevandel.png", buffer, w, h, channels));
    EXPECT_EQ(nullptr, buffer);
    unlink(path.c_str());
}

TEST(PngReader, BadInputFailsCleanly)
{
    std::string good = tempPath("good.png");
    std::vector<uint8_t> samples;
    for (int i = 0; i < 32 * 32; i++)
        samples.insert(samples.end(), {(uint8_t)(i * 7), (uint8_t)(i * 13), (uint8_t)(i * 29)});
    ASSERT_TRUE(writeRgbPng(good, 32, 32, samples, false));
    std::vector<uint8_t> bytes = readBytes(good);
    ASSERT_GT(bytes.size(), 100u);

    std::string truncated = tempPath("truncated.png");
    ASSERT_TRUE(writeBytes(truncated, std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2)));
    std::string notPng = tempPath("notpng.png");
    ASSERT_TRUE(writeBytes(notPng, {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}));
    std::string shortFile = tempPath("short.png");
    ASSERT_TRUE(writeBytes(shortFile, {0x89, 'P', 'N'}));
    std::string empty = tempPath("empty.png");
    ASSERT_TRUE(writeBytes(empty, {}));
    std::string directory = tempPath("directory.png");
    ASSERT_EQ(0, mkdir(directory.c_str(), 0700));
    std::string huge = tempPath("huge.png");
    ASSERT_TRUE(writePngHeaderOnly(huge, 60000, 60000));
    std::string justOver = tempPath("justover.png");
    ASSERT_TRUE(writePngHeaderOnly(justOver, 640, 481));
    std::string zeroWidth = tempPath("zerowidth.png");
    ASSERT_TRUE(writePngHeaderOnly(zeroWidth, 0, 10));

    struct FailCase {
        const char* name;
        const char* path;
        bool libpngReports;
    };
    const FailCase cases[] = {
        {"null path", nullptr, false},
        {"missing", "/nonexistent/trevandel.png", false},
        {"empty", empty.c_str(), false},
        {"shorter than a signature", shortFile.c_str(), false},
        {"not a PNG", notPng.c_str(), false},
        {"directory", directory.c_str(), false},
        // Refused from the header alone, before any allocation.
        {"60000x60000", huge.c_str(), false},
        {"one row over the pixel limit", justOver.c_str(), false},
        // libpng itself rejects a zero dimension in IHDR.
        {"zero width", zeroWidth.c_str(), true},
        {"truncated", truncated.c_str(), true},
    };
    for (const FailCase& c : cases) {
        SCOPED_TRACE(c.name);
        unsigned char* buffer = (unsigned char*)malloc(16);
        int w = 77, h = 88, channels = 99;
        testing::internal::CaptureStderr();
        bool ok = readPng(c.path, buffer, w, h, channels);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(ok);
        EXPECT_EQ(nullptr, buffer);
        EXPECT_EQ(77, w);
        EXPECT_EQ(88, h);
        EXPECT_EQ(99, channels);
        if (c.libpngReports)
            EXPECT_NE(std::string::npos, err.find("libpng error: ")) << err;
        else
            EXPECT_EQ("", err);
    }
    // The decoder state is fully released: a good file still loads afterwards.
    unsigned char* buffer = nullptr;
    int w = 0, h = 0, channels = 0;
    ASSERT_TRUE(readPng(good.c_str(), buffer, w, h, channels));
    EXPECT_EQ(samples, std::vector<uint8_t>(buffer, buffer + samples.size()));
    free(buffer);

    for (const std::string& p : {good, truncated, notPng, shortFile, empty, huge, justOver, zeroWidth})
        unlink(p.c_str());
    rmdir(directory.c_str());
}

TEST(PngReader, HeaderAtThePixelLimitIsNotRefused)
{
    // 640x480 is exactly the limit: decoding is attempted, and only fails for want of data.
    ASSERT_EQ(640ul * 480ul, MAX_PNG_PIXELS);
    std::string path = tempPath("atlimit.png");
    ASSERT_TRUE(writePngHeaderOnly(path, 640, 480));
    unsigned char* buffer = nullptr;
    int w = 0, h = 0, channels = 0;
    testing::internal::CaptureStderr();
    bool ok = readPng(path.c_str(), buffer, w, h, channels);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(ok);
    EXPECT_EQ(nullptr, buffer);
    EXPECT_NE(std::string::npos, err.find("libpng error: ")) << err;
    unlink(path.c_str());
}

TEST(PngReader, HostileFilesFailOrLoadWithinAFewMiB)
{
    // Each case once took from 60 MiB to 2 GiB: a chunk's claimed length allocated and cleared,
    // compressed text inflated and kept, or an interlaced image far larger than the screen.
    const long LIMIT_KIB = 8 * 1024;
    const int LOADED_RED = 1;
    const int FAILED = 0;
    struct Case {
        const char* name;
        int expected;
    };
    const Case cases[] = {
        {"text-claims-2gib.png", FAILED},      {"itxt-claims-1gib.png", FAILED},
        {"ztxt-claims-1gib.png", FAILED},      {"splt-claims-1gib.png", FAILED},
        {"ztxt-8x8mb.png", LOADED_RED},        {"interlaced-4096.png", FAILED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = hostilePng(c.name);
        ASSERT_FALSE(path.empty());
        ChildOutcome outcome = runInBoundedChild(
            [&path]() {
                discardStandardError();
                DLImage image;
                if (!image.loadPng(path.c_str(), 15, true))
                    return 0;
                return image.pixelAt(0, 0) == 0xF800 ? 1 : 2;
            },
            LIMIT_KIB);
        EXPECT_FALSE(outcome.overLimit);
        EXPECT_TRUE(outcome.finished);
        EXPECT_EQ(c.expected, outcome.result);
        EXPECT_LE(outcome.growthKiB, LIMIT_KIB);
        unlink(path.c_str());
    }
}
