// Pixel conversion at every depth, the alpha plane, opaque and blended drawing with clipping.
#include "gfx/DLImage.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>
#include <unistd.h>

#include "support/PngWriter.h"
#include "TestScreen.h"

namespace {

// Pixels of the pattern with holes left fully transparent: no row or column repeats another, so a
// misplaced alpha plane shows.
bool isHole(int x, int y)
{
    return (x * 7 + y * 3) % 11 < 4;
}

// Loads an RGBA image whose pixel (x, y) has red x*16+8, green y*16+8, blue 200 and the given alpha
// (0 instead at the holes when withHoles is set).
bool loadPattern(DLImage& image, int width, int height, uint8_t alpha, bool keepAlpha, const char* name,
                 bool withHoles = false)
{
    std::vector<uint8_t> samples;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            samples.insert(samples.end(), {(uint8_t)(x * 16 + 8), (uint8_t)(y * 16 + 8), 200,
                                           (uint8_t)(withHoles && isHole(x, y) ? 0 : alpha)});
    std::string path = tempPath(name);
    bool ok = writeRgbPng(path, width, height, samples, true) && image.loadPng(path.c_str(), 15, keepAlpha);
    unlink(path.c_str());
    return ok;
}

uint16_t patternPixel(int x, int y)
{
    return (uint16_t)((((x * 16 + 8) & 0xF8) << 8) | (((y * 16 + 8) & 0xF8) << 3) | (200 >> 3));
}

} // namespace

TEST(DLImage, ConvertsColoursAtEachDepth)
{
    struct Case {
        uint8_t r, g, b;
        int pixel;
        int grey;
    };
    const Case cases[] = {
        {255, 255, 255, 0xFFDF, 255}, {0, 255, 0, 0x07C0, 85},   {255, 0, 0, 0xF800, 85},
        {0, 0, 255, 0x001F, 85},      {0, 0, 0, 0x0000, 0},      {0x17, 0x2F, 0x4F, 0x1149, 49},
        {7, 7, 7, 0x0000, 7},         {255, 255, 254, 0xFFDF, 254}, {10, 20, 31, 0x0883, 20},
    };
    std::vector<uint8_t> samples;
    for (const Case& c : cases)
        samples.insert(samples.end(), {c.r, c.g, c.b});
    const int count = (int)(sizeof(cases) / sizeof(cases[0]));
    std::string path = tempPath("colours.png");
    ASSERT_TRUE(writeRgbPng(path, count, 1, samples, false));

    for (int depth : {8, 15, 16}) {
        SCOPED_TRACE(depth);
        DLImage image;
        ASSERT_TRUE(image.loadPng(path.c_str(), depth, true));
        EXPECT_EQ(count, image.width());
        EXPECT_EQ(1, image.height());
        EXPECT_EQ(depth, image.depth());
        EXPECT_FALSE(image.hasAlpha());
        for (int i = 0; i < count; i++)
            EXPECT_EQ(depth == 8 ? cases[i].grey : cases[i].pixel, image.pixelAt(i, 0)) << "pixel " << i;
    }
    unlink(path.c_str());
}

TEST(DLImage, RgbaRowsConvertLikeRgbOnes)
{
    // 19 pixels, so that whole blocks of pixels and a remainder are both converted; every
    // channel differs from its neighbours and from the other channels.
    const int count = 19;
    std::vector<uint8_t> rgb, rgba;
    for (int i = 0; i < count; i++) {
        const uint8_t r = (uint8_t)(i * 13 + 7), g = (uint8_t)(255 - i * 11), b = (uint8_t)(i * 29 + 100);
        rgb.insert(rgb.end(), {r, g, b});
        rgba.insert(rgba.end(), {r, g, b, (uint8_t)(i * 17)});
    }
    std::string rgbPath = tempPath("row3.png"), rgbaPath = tempPath("row4.png");
    ASSERT_TRUE(writeRgbPng(rgbPath, count, 1, rgb, false));
    ASSERT_TRUE(writeRgbPng(rgbaPath, count, 1, rgba, true));
    for (int depth : {8, 15, 16}) {
        SCOPED_TRACE(depth);
        DLImage fromRgb, fromRgba;
        ASSERT_TRUE(fromRgb.loadPng(rgbPath.c_str(), depth, true));
        ASSERT_TRUE(fromRgba.loadPng(rgbaPath.c_str(), depth, true));
        ASSERT_TRUE(fromRgba.hasAlpha());
        for (int i = 0; i < count; i++) {
            const uint8_t* p = &rgb[i * 3];
            const int expected = depth == 8 ? (p[0] + p[1] + p[2]) / 3
                                            : ((p[0] & 0xF8) << 8) | ((p[1] & 0xF8) << 3) | (p[2] >> 3);
            EXPECT_EQ(expected, fromRgb.pixelAt(i, 0)) << "pixel " << i;
            EXPECT_EQ(expected, fromRgba.pixelAt(i, 0)) << "pixel " << i;
        }
    }
    unlink(rgbPath.c_str());
    unlink(rgbaPath.c_str());
}

TEST(DLImage, InterlacedFilesConvertLikePlainOnes)
{
    // Rows are converted as they are decoded, except for interlaced files, whose rows are
    // complete only after the last pass: both must give the same image.
    const int width = 13, height = 11;
    std::vector<uint8_t> samples;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            samples.insert(samples.end(), {(uint8_t)(x * 19), (uint8_t)(y * 23), (uint8_t)(x * y), (uint8_t)(x * 7 + y)});
    std::string plainPath = tempPath("plain.png"), interlacedPath = tempPath("adam7.png");
    ASSERT_TRUE(writeRgbPng(plainPath, width, height, samples, true, false));
    ASSERT_TRUE(writeRgbPng(interlacedPath, width, height, samples, true, true));
    for (int depth : {8, 16}) {
        SCOPED_TRACE(depth);
        DLImage plain, interlaced;
        ASSERT_TRUE(plain.loadPng(plainPath.c_str(), depth, true));
        ASSERT_TRUE(interlaced.loadPng(interlacedPath.c_str(), depth, true));
        ASSERT_EQ(width, interlaced.width());
        ASSERT_EQ(height, interlaced.height());
        for (int y = 0; y < height; y++) {
            for (int x = 0; x < width; x++) {
                const uint8_t* p = &samples[(y * width + x) * 4];
                const int expected = depth == 8 ? (p[0] + p[1] + p[2]) / 3
                                                : ((p[0] & 0xF8) << 8) | ((p[1] & 0xF8) << 3) | (p[2] >> 3);
                EXPECT_EQ(expected, plain.pixelAt(x, y)) << x << "," << y;
                EXPECT_EQ(expected, interlaced.pixelAt(x, y)) << x << "," << y;
                EXPECT_EQ(p[3], plain.alphaAt(x, y)) << x << "," << y;
                EXPECT_EQ(p[3], interlaced.alphaAt(x, y)) << x << "," << y;
            }
        }
    }
    unlink(plainPath.c_str());
    unlink(interlacedPath.c_str());
}

TEST(DLImage, SixteenBitAndGreyFilesConvertLikeEightBitRgb)
{
    PngFile wide;
    wide.colourType = PNG_COLOR_TYPE_RGB;
    wide.bitDepth = 16;
    wide.rows = {{0xFF, 0x00, 0x00, 0xFF, 0x80, 0x7F}};
    PngFile grey;
    grey.colourType = PNG_COLOR_TYPE_GRAY;
    grey.rows = {{0x84}};
    std::string widePath = tempPath("wide.png");
    std::string greyPath = tempPath("grey.png");
    ASSERT_TRUE(writePng(widePath, wide));
    ASSERT_TRUE(writePng(greyPath, grey));

    DLImage a, b;
    ASSERT_TRUE(a.loadPng(widePath.c_str(), 16, false));
    EXPECT_EQ(0xF800 | (0x80 >> 3), a.pixelAt(0, 0));
    ASSERT_TRUE(b.loadPng(greyPath.c_str(), 15, false));
    EXPECT_EQ((0x80 << 8) | (0x80 << 3) | (0x80 >> 3), b.pixelAt(0, 0));
    unlink(widePath.c_str());
    unlink(greyPath.c_str());
}

TEST(DLImage, AlphaPlaneOnlyForFourChannelsWithAlphaKept)
{
    std::string rgba = tempPath("alpha.png");
    std::string rgb = tempPath("noalpha.png");
    ASSERT_TRUE(writeRgbPng(rgba, 2, 1, {255, 0, 0, 17, 0, 0, 255, 240}, true));
    ASSERT_TRUE(writeRgbPng(rgb, 1, 1, {1, 2, 3}, false));

    DLImage kept, dropped, noAlpha, grey;
    ASSERT_TRUE(kept.loadPng(rgba.c_str(), 15, true));
    ASSERT_TRUE(kept.hasAlpha());
    EXPECT_EQ(17, kept.alphaAt(0, 0));
    EXPECT_EQ(240, kept.alphaAt(1, 0));
    EXPECT_EQ(0xF800, kept.pixelAt(0, 0));
    EXPECT_EQ(0x001F, kept.pixelAt(1, 0));

    ASSERT_TRUE(dropped.loadPng(rgba.c_str(), 16, false));
    EXPECT_FALSE(dropped.hasAlpha());
    EXPECT_EQ(0x001F, dropped.pixelAt(1, 0));

    ASSERT_TRUE(noAlpha.loadPng(rgb.c_str(), 15, true));
    EXPECT_FALSE(noAlpha.hasAlpha());

    ASSERT_TRUE(grey.loadPng(rgba.c_str(), 8, true));
    EXPECT_TRUE(grey.hasAlpha());
    EXPECT_EQ(85, grey.pixelAt(0, 0));
    EXPECT_EQ(240, grey.alphaAt(1, 0));
    unlink(rgba.c_str());
    unlink(rgb.c_str());
}

TEST(DLImage, FailedLoadsLeaveTheImageUnchanged)
{
    std::string path = tempPath("keep.png");
    ASSERT_TRUE(writeRgbPng(path, 2, 1, {255, 255, 255, 0, 0, 0}, false));

    DLImage fresh;
    EXPECT_EQ(0, fresh.pixelAt(0, 0));
    for (int badDepth : {0, 7, 24, 32}) {
        EXPECT_FALSE(fresh.loadPng(path.c_str(), badDepth, false)) << badDepth;
        EXPECT_EQ(0, fresh.width());
        EXPECT_EQ(0, fresh.height());
        EXPECT_EQ(0, fresh.pixelAt(0, 0));
    }

    DLImage loaded;
    ASSERT_TRUE(loaded.loadPng(path.c_str(), 16, false));
    EXPECT_FALSE(loaded.loadPng("/nonexistent/trevandel.png", 16, false));
    EXPECT_FALSE(loaded.loadPng(path.c_str(), 12, false));
    EXPECT_EQ(2, loaded.width());
    EXPECT_EQ(16, loaded.depth());
    EXPECT_EQ(0xFFDF, loaded.pixelAt(0, 0));

    // A second successful load replaces the first (its blocks are released, not leaked).
    std::string other = tempPath("other.png");
    ASSERT_TRUE(writeRgbPng(other, 1, 1, {0, 0, 255, 9}, true));
    ASSERT_TRUE(loaded.loadPng(other.c_str(), 15, true));
    EXPECT_EQ(1, loaded.width());
    EXPECT_EQ(0x001F, loaded.pixelAt(0, 0));
    EXPECT_EQ(9, loaded.alphaAt(0, 0));
    unlink(path.c_str());
    unlink(other.c_str());
}

TEST_F(ScreenTest, BlitCopiesRowsOpaque)
{
    DLImage image;
    ASSERT_TRUE(loadPattern(image, 5, 4, 0, false, "blit.png"));
    fill(0x1234);
    image.blit(10, 20);
    for (int y = 18; y < 26; y++)
        for (int x = 8; x < 17; x++) {
            bool inside = x >= 10 && x < 15 && y >= 20 && y < 24;
            EXPECT_EQ(inside ? patternPixel(x - 10, y - 20) : 0x1234, at(x, y)) << x << "," << y;
        }
}

TEST_F(ScreenTest, BlitAlphaBlendsEachFieldWithSeparateDivisions)
{
    struct Case {
        uint8_t r, g, b, a;
        uint16_t screen;
        uint16_t expected;
    };
    const Case cases[] = {
        {255, 255, 255, 128, 0x0000, 0x7BCF}, // 128*31/255 = 15 per field
        {255, 255, 255, 128, 0xFFDF, 0xF79E}, // 15 + 15: one below the exact blend
        {255, 0, 0, 255, 0x07DF, 0xF800},     // opaque copies the image
        {255, 0, 0, 0, 0x1234 & ~0x20, 0x1234 & ~0x20},
        {0, 0, 0, 0, 0xFFFF, 0xFFDF},         // screen kept, bit 5 cleared
        {0, 255, 0, 64, 0xF800, 0xB9C0},      // red 0+23, green 7+0, blue 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "a=" << (int)c.a << " screen=" << c.screen);
        std::string path = tempPath("blend.png");
        ASSERT_TRUE(writeRgbPng(path, 1, 1, {c.r, c.g, c.b, c.a}, true));
        DLImage image;
        ASSERT_TRUE(image.loadPng(path.c_str(), 15, true));
        unlink(path.c_str());
        fill(c.screen);
        image.blitAlpha(100, 100);
        EXPECT_EQ(c.expected, at(100, 100));
        EXPECT_EQ(c.screen, at(101, 100));
        EXPECT_EQ(c.screen, at(99, 100));
    }
}

TEST_F(ScreenTest, PaletteTransparencyBlendsOnlyWithAlphaKept)
{
    PngFile file;
    file.width = 2;
    file.colourType = PNG_COLOR_TYPE_PALETTE;
    file.palette = {{255, 255, 255}, {255, 0, 0}};
    file.paletteAlpha = {0, 255};
    file.rows = {{0, 1}};
    std::string path = tempPath("palette.png");
    ASSERT_TRUE(writePng(path, file));

    DLImage blended, opaque;
    ASSERT_TRUE(blended.loadPng(path.c_str(), 15, true));
    ASSERT_TRUE(opaque.loadPng(path.c_str(), 15, false));
    unlink(path.c_str());

    fill(0x001F);
    blended.blitAlpha(0, 0);
    EXPECT_EQ(0x001F, at(0, 0));
    EXPECT_EQ(0xF800, at(1, 0));

    fill(0x001F);
    opaque.blitAlpha(0, 0);
    EXPECT_EQ(0xFFDF, at(0, 0));
    EXPECT_EQ(0xF800, at(1, 0));
}

TEST_F(ScreenTest, BothDrawCallsClipAtAllFourEdges)
{
    DLImage opaque, blended;
    ASSERT_TRUE(loadPattern(opaque, 6, 5, 255, false, "clip.png"));
    ASSERT_TRUE(loadPattern(blended, 6, 5, 255, true, "clipalpha.png", true));
    const int places[][2] = {{-3, -2}, {317, 237}, {-3, 237}, {317, -2}, {-6, 0}, {320, 0},
                             {0, -5}, {0, 240}, {-100000, 5}, {2147483600, 2147483600}, {150, 100}};
    for (DLImage* image : {&opaque, &blended}) {
        for (const auto& place : places) {
            int px = place[0], py = place[1];
            SCOPED_TRACE(testing::Message() << (image == &opaque ? "blit" : "blitAlpha") << " at " << px << ","
                                            << py);
            fill(0x0841);
            if (image == &opaque)
                image->blit(px, py);
            else
                image->blitAlpha(px, py);
            int wrong = 0;
            for (int y = 0; y < H; y++)
                for (int x = 0; x < W; x++) {
                    long long ix = (long long)x - px, iy = (long long)y - py;
                    bool inside = ix >= 0 && ix < 6 && iy >= 0 && iy < 5;
                    if (inside && image == &blended && isHole((int)ix, (int)iy))
                        inside = false;
                    uint16_t expected = inside ? patternPixel((int)ix, (int)iy) : 0x0841;
                    if (at(x, y) != expected)
                        wrong++;
                }
            EXPECT_EQ(0, wrong);
        }
    }
}

TEST_F(ScreenTest, GreyImagesAndEmptyImagesDrawNothing)
{
    std::string path = tempPath("greydraw.png");
    ASSERT_TRUE(writeRgbPng(path, 2, 2, {255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true));
    DLImage grey, empty;
    ASSERT_TRUE(grey.loadPng(path.c_str(), 8, true));
    unlink(path.c_str());
    fill(0x4321);
    EXPECT_EQ(0, grey.blit(0, 0));
    EXPECT_EQ(0, grey.blitAlpha(0, 0));
    EXPECT_EQ(0, empty.blit(0, 0));
    EXPECT_EQ(0, empty.blitAlpha(0, 0));
    for (int i = 0; i < W * H; i++)
        ASSERT_EQ(0x4321, Video::screen[i]) << i;
}

TEST(DLImage, AlphaBlendMatchesThePlainPathOnRandomRows)
{
#ifndef __SSE2__
    GTEST_SKIP() << "only the plain path is built for this processor";
#endif
    std::mt19937 random(61);
    for (int width : {0, 1, 7, 8, 9, 15, 16, 17, 33, Video::WIDTH}) {
        for (int round = 0; round < 8; ++round) {
            std::vector<uint16_t> source(width), screen(width);
            std::vector<uint8_t> alpha(width);
            for (int i = 0; i < width; ++i) {
                source[i] = uint16_t(random()) & 0xFFDF;
                screen[i] = uint16_t(random()) & 0xFFDF;
                // Fully clear and fully opaque pixels as well as every level between.
                alpha[i] = uint8_t(i % 5 == 0 ? 0 : i % 5 == 1 ? 255 : random());
            }
            std::vector<uint16_t> fast = screen, plain = screen;
            DLImage::blendImageRow(fast.data(), source.data(), alpha.data(), width);
            DLImage::blendImageRowPlain(plain.data(), source.data(), alpha.data(), width);
            ASSERT_EQ(fast, plain) << "width " << width << ", round " << round;
        }
    }
}

TEST(DLImage, RgbaConversionMatchesThePlainPathOnRandomRows)
{
#ifndef __SSE2__
    GTEST_SKIP() << "only the plain path is built for this processor";
#endif
    std::mt19937 random(16);
    // Every width up to a few blocks of eight, odd ones included, and whole and nearly whole
    // screen rows, read from every byte offset.
    std::vector<size_t> widths;
    for (size_t width = 0; width <= 40; ++width)
        widths.push_back(width);
    widths.insert(widths.end(), {Video::WIDTH - 1, Video::WIDTH, Video::WIDTH + 1});
    const uint16_t guard = 0x5A5A;
    for (size_t width : widths) {
        for (size_t offset = 0; offset < 4; ++offset) {
            std::vector<unsigned char> samples(offset + width * 4);
            for (unsigned char& sample : samples)
                sample = (unsigned char)random();
            std::vector<uint16_t> fast(width + 8, guard);
            std::vector<uint16_t> plain = fast;
            std::vector<uint8_t> fastAlpha(width + 8, 0x5A);
            std::vector<uint8_t> plainAlpha = fastAlpha;
            DLImage::rgbaToScreen(samples.data() + offset, width, fast.data(), fastAlpha.data());
            DLImage::rgbaToScreenPlain(samples.data() + offset, width, plain.data(), plainAlpha.data());
            ASSERT_EQ(fast, plain) << "width " << width << ", offset " << offset;
            ASSERT_EQ(fastAlpha, plainAlpha) << "width " << width << ", offset " << offset;
        }
    }
}
