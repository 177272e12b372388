// Frames in the layouts framebuffers describe, and the screens that cannot be written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Video.h"
#include "platform/handheld/FrameConverter.h"

namespace {

ScreenFormat format(const char* text)
{
    ScreenFormat f;
    std::string problem;
    EXPECT_TRUE(ScreenFormat::parse(text, f, problem)) << text << ": " << problem;
    return f;
}

uint32_t pixelAt(const std::vector<uint8_t>& page, const ScreenFormat& f, int x, int y)
{
    uint32_t value = 0;
    memcpy(&value, &page[size_t(y) * f.lineLength + size_t(x) * (f.bitsPerPixel / 8)], f.bitsPerPixel / 8);
    return value;
}

} // namespace

TEST(FrameConverter, EachChannelLandsInItsFieldWidenedByRepeatingItsBits)
{
    // Channels distinct enough that a swap or a lost bit shows: red 10110, green 01101 (bit 5
    // clear), blue 00111.
    const uint16_t pixel = uint16_t(0x16 << 11 | 0x0D << 6 | 0x07);
    struct Case {
        const char* format;
        uint32_t expected;
    };
    const Case cases[] = {
        {"320x240x16", pixel},
        // Blue and red swapped; green taken whole with bit 5.
        {"320x240x16 red=0:5 green=5:6 blue=11:5", uint32_t(0x07 << 11 | 0x0D << 6 | 0x16)},
        {"320x240x16 red=10:5 green=5:5 blue=0:5", uint32_t(0x16 << 10 | 0x0D << 5 | 0x07)},
        {"320x240x32", uint32_t(0xB5 << 16 | 0x6B << 8 | 0x39)},
        {"320x240x32 red=0:8 green=8:8 blue=16:8 transp=24:8", 0xFF000000u | 0x39 << 16 | 0x6B << 8 | 0xB5},
        // Fields shorter than five bits keep the top ones.
        {"320x240x16 red=8:3 green=4:3 blue=0:2", uint32_t(0x5 << 8 | 0x3 << 4 | 0x0)},
    };
    std::vector<uint16_t> frame(size_t(Video::WIDTH) * Video::HEIGHT, pixel);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const ScreenFormat f = format(c.format);
        FrameConverter converter;
        std::string problem;
        ASSERT_TRUE(converter.configure(f, false, problem)) << problem;
        std::vector<uint8_t> page(size_t(f.lineLength) * f.height, 0xA5);
        converter.convert(frame.data(), page.data());
        EXPECT_EQ(pixelAt(page, f, 0, 0), c.expected);
        EXPECT_EQ(pixelAt(page, f, 319, 239), c.expected);
    }
}

TEST(FrameConverter, ScalesCentresAndTurnsWithinPaddedRows)
{
    // 700x500: twice the frame fits, 30 columns and 10 rows of black around it.
    const ScreenFormat f = format("700x500x16 line=1408");
    std::vector<uint16_t> frame(size_t(Video::WIDTH) * Video::HEIGHT, 0);
    frame[0] = 0xF800;
    frame[size_t(Video::HEIGHT - 1) * Video::WIDTH + Video::WIDTH - 1] = 0x001F;
    for (bool upsideDown : {false, true}) {
        SCOPED_TRACE(upsideDown ? "upside down" : "upright");
        FrameConverter converter;
        std::string problem;
        ASSERT_TRUE(converter.configure(f, upsideDown, problem)) << problem;
        EXPECT_EQ(converter.scale(), 2);
        EXPECT_EQ(converter.left(), 30);
        EXPECT_EQ(converter.top(), 10);
        std::vector<uint8_t> page(size_t(f.lineLength) * f.height, 0xA5);
        converter.fill(page.data());
        converter.convert(frame.data(), page.data());
        const uint32_t topLeft = upsideDown ? 0x001F : 0xF800;
        const uint32_t bottomRight = upsideDown ? 0xF800 : 0x001F;
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx) {
                EXPECT_EQ(pixelAt(page, f, 30 + dx, 10 + dy), topLeft);
                EXPECT_EQ(pixelAt(page, f, 668 + dx, 488 + dy), bottomRight);
            }
        EXPECT_EQ(pixelAt(page, f, 29, 10), 0u);
        EXPECT_EQ(pixelAt(page, f, 670, 489), 0u);
        EXPECT_EQ(pixelAt(page, f, 30, 9), 0u);
        // The row padding past the visible width is never written.
        EXPECT_EQ(page[size_t(f.lineLength) * 100 + 1400], 0xA5);
    }
}

TEST(FrameConverter, RefusesWhatItCannotWriteAndSaysWhy)
{
    struct Case {
        const char* format;
        const char* reason;
    };
    const Case cases[] = {
        {"319x240x16", "320x240"},
        {"320x239x32", "320x240"},
        {"320x240x24", "only 16 and 32 bits"},
        {"320x240x8", "only 16 and 32 bits"},
        {"320x240x32 red=16:10", "10 bits"},
        {"320x240x16 line=600", "too short"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        FrameConverter converter;
        std::string problem;
        EXPECT_FALSE(converter.configure(format(c.format), false, problem));
        EXPECT_NE(problem.find(c.reason), std::string::npos) << problem;
    }
}
