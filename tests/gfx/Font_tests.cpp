// Glyph table scan of the marker row, text blending, pen advance and clipping of the bitmap font.
#include "gfx/Font.h"

#include <gtest/gtest.h>
#include <random>
#include <utility>
#include <vector>
#include <unistd.h>

#include "support/PngWriter.h"
#include "TestScreen.h"

namespace {

// Writes a grey sheet: row 0 from markers, then glyph rows.
std::string writeSheet(const char* name, const std::vector<uint8_t>& markers,
                       const std::vector<std::vector<uint8_t>>& glyphRows)
{
    PngFile file;
    file.width = (int)markers.size();
    file.height = 1 + (int)glyphRows.size();
    file.colourType = PNG_COLOR_TYPE_GRAY;
    file.rows.push_back(markers);
    for (const auto& row : glyphRows)
        file.rows.push_back(row);
    std::string path = tempPath(name);
    return writePng(path, file) ? path : std::string();
}

// Loads a sheet, expecting the one "Loaded font" line.
bool loadQuietly(Font& font, const std::string& path, std::string* printed = nullptr)
{
    testing::internal::CaptureStdout();
    bool ok = font.load(path.c_str());
    fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    if (printed)
        *printed = out;
    return ok;
}

} // namespace

TEST(Font, ScansTheMarkerRow)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> markers;
        // Expected [start, end) for codes 33, 34, 35 and 36.
        int spans[4][2];
    };
    const Case cases[] = {
        {"markers at 5 and 9", {0, 0, 0, 0, 0, 255, 0, 0, 0, 200, 0, 0}, {{1, 5}, {5, 9}, {9, 12}, {12, 12}}},
        {"128 is not a marker, 129 is", {0, 0, 0, 128, 0, 0, 129, 0}, {{1, 6}, {6, 8}, {8, 8}, {8, 8}}},
        {"column 0 is never examined", {255, 0, 255, 0, 0}, {{1, 2}, {2, 5}, {5, 5}, {5, 5}}},
        {"no markers at all", {0, 0, 0, 0}, {{1, 4}, {4, 4}, {4, 4}, {4, 4}}},
        {"adjacent markers", {0, 130, 140, 150}, {{1, 1}, {1, 2}, {2, 3}, {3, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = writeSheet("scan.png", c.markers, {std::vector<uint8_t>(c.markers.size(), 0)});
        ASSERT_FALSE(path.empty());
        Font font;
        std::string printed;
        ASSERT_TRUE(loadQuietly(font, path, &printed));
        unlink(path.c_str());
        EXPECT_EQ("Loaded font: " + std::to_string(c.markers.size()) + "x2\n", printed);
        EXPECT_EQ(1, font.lineHeight());
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(c.spans[i][0], font.glyphStart(33 + i)) << "code " << 33 + i;
            EXPECT_EQ(c.spans[i][1], font.glyphEnd(33 + i)) << "code " << 33 + i;
        }
        int width = (int)c.markers.size();
        EXPECT_EQ(width, font.glyphStart(126));
        EXPECT_EQ(width, font.glyphEnd(126));
        for (int code : {0, 31, 32, 127})
            EXPECT_EQ(0, font.glyphEnd(code) - font.glyphStart(code)) << code;
    }
}

TEST(Font, FailedLoadPrintsNothingAndKeepsTheSheetInUse)
{
    Font font;
    EXPECT_FALSE(font.isLoaded());
    EXPECT_EQ(0, font.lineHeight());
    EXPECT_EQ(0xFFFF, font.colour());
    std::string printed;
    EXPECT_FALSE(loadQuietly(font, "/nonexistent/font.png", &printed));
    EXPECT_EQ("", printed);
    EXPECT_FALSE(font.isLoaded());
    EXPECT_EQ(0, font.lineHeight());

    std::string path = writeSheet("keep.png", {0, 0, 255, 0}, {{0, 0, 0, 0}, {0, 0, 0, 0}});
    ASSERT_TRUE(loadQuietly(font, path));
    unlink(path.c_str());
    EXPECT_FALSE(loadQuietly(font, "/nonexistent/font.png", &printed));
    EXPECT_EQ("", printed);
    EXPECT_TRUE(font.isLoaded());
    EXPECT_EQ(2, font.lineHeight());
    EXPECT_EQ(1, font.glyphStart(33));
    EXPECT_EQ(2, font.glyphEnd(33));
}

TEST_F(ScreenTest, FontPenAdvancesByGlyphWidthsAndSpaces)
{
    // Code 33 is 4 wide, 34 is 2, 35 takes the last column, later codes are 0 wide.
    std::string path = writeSheet("advance.png", {0, 0, 0, 0, 0, 255, 0, 255}, {std::vector<uint8_t>(8, 0)});
    Font font;
    ASSERT_TRUE(loadQuietly(font, path));
    unlink(path.c_str());
    struct Case {
        const char* text;
        int width;
    };
    const Case cases[] = {
        {"", 0}, {"!", 4}, {"\"", 2}, {" ", 3}, {"! \"", 9}, {"!\t\x7f\xc3\xa9!", 8}, {"#", 1}, {"$", 0}, {"  !", 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.width, font.textWidth(c.text)) << c.text;
        EXPECT_EQ((int)strlen(c.text), font.drawText(0, 0, c.text)) << c.text;
    }
    EXPECT_EQ(0, font.textWidth(nullptr));
}

TEST_F(ScreenTest, FontWithoutSheetDrawsNothing)
{
    Font font;
    fill(0x0841);
    EXPECT_EQ(5, font.drawText(10, 10, "Ab !~"));
    EXPECT_EQ(3, font.textWidth("Ab !~"));
    for (int i = 0; i < W * H; i++)
        ASSERT_EQ(0x0841, Video::screen[i]) << i;
}

TEST_F(ScreenTest, FontBlendsCoverageInTheTextColour)
{
    // Glyph 33 spans columns 1..5; its one row holds the coverage under test.
    std::string path = writeSheet("blend.png", {0, 0, 0, 0, 0, 0, 255}, {{0, 255, 255, 0, 128, 100, 0}});
    Font font;
    ASSERT_TRUE(loadQuietly(font, path));
    unlink(path.c_str());

    struct Case {
        uint16_t colour;
        uint16_t screen;
        uint16_t expected[5];
    };
    const Case cases[] = {
        // Grey 255 gives the colour exactly (bit 5 cleared for white); grey 0 keeps the screen.
        {0xF81F, 0x0841, {0xF81F, 0xF81F, 0x0841, 0x8010, 0x600C}},
        {0xFFFF, 0x0000, {0xFFDF, 0xFFDF, 0x0000, 0x7BCF, 0x630C}},
        // One division of the sum: white at 128 over white stays white.
        {0xFFDF, 0xFFDF, {0xFFDF, 0xFFDF, 0xFFDF, 0xFFDF, 0xFFDF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "colour " << c.colour << " over " << c.screen);
        fill(c.screen);
        font.setColour(c.colour);
        EXPECT_EQ(1, font.drawText(50, 60, "!"));
        for (int k = 0; k < 5; k++)
            EXPECT_EQ(c.expected[k], at(50 + k, 60)) << "column " << k;
        EXPECT_EQ(c.screen, at(55, 60));
        EXPECT_EQ(c.screen, at(49, 60));
        EXPECT_EQ(c.screen, at(50, 61));
        EXPECT_EQ(c.screen, at(50, 59));
    }
}

TEST_F(ScreenTest, FontClipsAtAllFourEdges)
{
    // Glyph 33: 3 columns by 12 rows; coverage 255 except a 0 in column 1, so positions show.
    std::vector<std::vector<uint8_t>> rows(12, std::vector<uint8_t>{0, 255, 0, 255, 0});
    std::string path = writeSheet("clip.png", {0, 0, 0, 0, 255}, rows);
    Font font;
    ASSERT_TRUE(loadQuietly(font, path));
    unlink(path.c_str());
    ASSERT_EQ(12, font.lineHeight());
    font.setColour(0xF800);

    const int places[][2] = {{100, 235}, {318, 100}, {-2, 100}, {100, -10}, {-2, -11},
                             {318, 235}, {320, 0}, {0, 240}, {-3, 0}, {0, -12}};
    for (const auto& place : places) {
        int px = place[0], py = place[1];
        SCOPED_TRACE(testing::Message() << "text at " << px << "," << py);
        fill(0x001F);
        // Two glyphs: the pen moves on by 3 whatever is clipped.
        font.drawText(px, py, "!!");
        int wrong = 0;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) {
                int gx = x - px, gy = y - py;
                bool covered = gx >= 0 && gx < 6 && gy >= 0 && gy < 12 && gx % 3 != 1;
                if (at(x, y) != (covered ? 0xF800 : 0x001F))
                    wrong++;
            }
        EXPECT_EQ(0, wrong);
    }

    // Text at y = 235 reaches only rows 235..239.
    fill(0);
    font.drawText(10, 235, "!");
    for (int y = 230; y < H; y++)
        EXPECT_EQ(y >= 235 ? 0xF800 : 0, at(10, y)) << y;
}

TEST_F(ScreenTest, FontReadsEachSheetRowIntoItsScreenRow)
{
    std::string path = writeSheet("rows.png", {0, 0, 255}, {{0, 255, 0}, {0, 0, 0}, {0, 255, 0}});
    Font font;
    ASSERT_TRUE(loadQuietly(font, path));
    unlink(path.c_str());
    font.setColour(0x07C0);
    fill(0);
    font.drawText(0, 0, "!");
    EXPECT_EQ(0x07C0, at(0, 0));
    EXPECT_EQ(0x0000, at(0, 1));
    EXPECT_EQ(0x07C0, at(0, 2));
    EXPECT_EQ(0x0000, at(0, 3));
    EXPECT_EQ(0x0000, at(1, 0));
}

TEST_F(ScreenTest, FontBlendsEveryCoverageOverEveryFieldAndKeepsSpaces)
{
    // Glyph 33: 16 columns by 16 rows holding every grey value 0..255 once, so long texts
    // blend all of them over many screen values; glyph 34 is 3 columns of grey 0.
    std::vector<uint8_t> markers(21, 0);
    markers[17] = 255;
    markers[20] = 255;
    std::vector<std::vector<uint8_t>> rows(16, std::vector<uint8_t>(21, 0));
    for (int r = 0; r < 16; r++)
        for (int k = 0; k < 16; k++)
            rows[r][1 + k] = (uint8_t)(r * 16 + k);
    std::string path = writeSheet("everygrey.png", markers, rows);
    Font font;
    ASSERT_TRUE(loadQuietly(font, path));
    unlink(path.c_str());
    ASSERT_EQ(16, font.glyphEnd(33) - font.glyphStart(33));
    ASSERT_EQ(3, font.glyphEnd(34) - font.glyphStart(34));

    const char* text = "!! !\"\x01!!";
    // Screen columns 35..37 lie under the space and 54..56 under the grey-0 glyph 34.
    const int x = 3, y = 5;
    const uint16_t colours[] = {0xF81F, 0xFFFF, 0x07C0, 0x1234};
    for (uint16_t colour : colours) {
        SCOPED_TRACE(testing::Message() << "colour " << colour);
        // Every screen value differs, bit 5 included.
        for (int i = 0; i < W * H; i++)
            Video::screen[i] = (uint16_t)(i * 40503u);
        std::vector<uint16_t> before(Video::screen, Video::screen + W * H);
        font.setColour(colour);
        EXPECT_EQ(8, font.drawText(x, y, text));
        int wrong = 0;
        for (int r = 0; r < 16; r++) {
            for (int column = 0; column < W; column++) {
                const int gx = column - x;
                const uint16_t d = before[(y + r) * W + column];
                uint16_t expected = d;
                int grey = -1;
                if ((gx >= 0 && gx < 32) || (gx >= 35 && gx < 51) || (gx >= 54 && gx < 86))
                    grey = r * 16 + (gx < 32 ? gx % 16 : gx < 51 ? gx - 35 : (gx - 54) % 16);
                else if (gx >= 51 && gx < 54)
                    grey = 0;
                if (grey >= 0) {
                    expected = 0;
                    for (int shift : {11, 6, 0}) {
                        const int df = (d >> shift) & 31, tf = (colour >> shift) & 31;
                        expected |= (uint16_t)(((df * (255 - grey) + tf * grey) / 255) << shift);
                    }
                }
                if (at(column, y + r) != expected)
                    wrong++;
            }
        }
        EXPECT_EQ(0, wrong);
        for (int i = 0; i < W * H; i++) {
            const int row = i / W;
            if (row < y || row >= y + 16) {
                ASSERT_EQ(before[i], Video::screen[i]) << "pixel " << i;
            }
        }
    }
}

TEST(Font, TextBlendMatchesThePlainPathOnRandomRows)
{
#ifndef __SSE2__
    GTEST_SKIP() << "only the plain path is built for this processor";
#endif
    std::mt19937 random(16);
    const int w = Video::WIDTH;
    // Both edges of the screen, odd widths around the blocks of eight, then random spans.
    std::vector<std::pair<int, int>> spans = {{0, w}, {0, 1}, {w - 1, w}, {0, 7}, {0, 9}, {1, 18},
                                              {w - 9, w}, {w - 15, w}, {1, w - 1}, {3, 3}};
    for (int i = 0; i < 60; ++i) {
        const int from = int(random() % w);
        spans.push_back({from, from + 1 + int(random() % (w - from))});
    }
    std::vector<uint16_t> row(w), mask(w);
    std::vector<uint8_t> coverage(w);
    for (const auto& [from, to] : spans) {
        for (int x = 0; x < w; ++x) {
            row[x] = uint16_t(random());
            mask[x] = random() % 4 ? 0xFFFF : 0;
            // No coverage and full coverage take their own way through the plain path.
            const unsigned pick = random() % 4;
            coverage[x] = pick == 0 ? 0 : pick == 1 ? 255 : uint8_t(random());
        }
        const uint16_t colour = uint16_t(random());
        std::vector<uint16_t> fast = row;
        std::vector<uint16_t> plain = row;
        Font::blendTextRow(fast.data(), coverage.data(), mask.data(), from, to, colour);
        Font::blendTextRowPlain(plain.data(), coverage.data(), mask.data(), from, to, colour);
        ASSERT_EQ(fast, plain) << "pixels " << from << " to " << to << ", colour " << colour;
    }
}
