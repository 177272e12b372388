// Checks that the shipped glyph sheet scans into sensible glyphs the way the launcher's font reads it.
#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kFirstCode = 33;
constexpr int kLastCode = 126;
constexpr int kGlyphCount = kLastCode - kFirstCode + 1;
constexpr int kMarkerThreshold = 128;

const std::string kSheetPath = std::string(TREVANDEL_DATA_DIR) + "/ARIALN.TTF_0_12_255_255_255.png";

// The sheet as grey values (r + g + b) / 3, the way the launcher sees it at depth 8.
struct GreySheet {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> grey;

    int at(int x, int y) const { return grey[static_cast<size_t>(y) * width + x]; }
};

// Decodes to 8-bit RGB(A) in malloc'd memory; no destructors run here, since libpng errors longjmp out.
unsigned char* decodeRgb(FILE* file, int& width, int& height, int& channels)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return nullptr;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    unsigned char* volatile pixels = nullptr;
    png_bytepp volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        std::free(rows);
        std::free(pixels);
        png_destroy_read_struct(&png, &info, nullptr);
        return nullptr;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    width = static_cast<int>(png_get_image_width(png, info));
    height = static_cast<int>(png_get_image_height(png, info));
    channels = png_get_channels(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    pixels = static_cast<unsigned char*>(std::malloc(rowBytes * height));
    rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * height));
    if (pixels == nullptr || rows == nullptr) {
        png_error(png, "out of memory");
    }
    for (int y = 0; y < height; ++y) {
        rows[y] = pixels + rowBytes * y;
    }
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    std::free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return pixels;
}

bool loadGreySheet(const std::string& path, GreySheet& sheet)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    int channels = 0;
    unsigned char* rgb = decodeRgb(file, sheet.width, sheet.height, channels);
    std::fclose(file);
    if (rgb == nullptr) {
        return false;
    }
    sheet.grey.resize(static_cast<size_t>(sheet.width) * sheet.height);
    for (size_t i = 0; i < sheet.grey.size(); ++i) {
        const unsigned char* sample = rgb + i * channels;
        sheet.grey[i] = static_cast<unsigned char>((sample[0] + sample[1] + sample[2]) / 3);
    }
    std::free(rgb);
    return true;
}

struct GlyphSpan {
    int start = 0;
    int end = 0;
    int width() const { return end - start; }
};

// The launcher's marker scan: each glyph runs from the previous marker up to the next one.
std::vector<GlyphSpan> scanMarkers(const GreySheet& sheet)
{
    std::vector<GlyphSpan> spans(kGlyphCount);
    int column = 0;
    int previousMarker = 1;
    for (GlyphSpan& span : spans) {
        while (column < sheet.width) {
            ++column;
            if (column < sheet.width && sheet.at(column, 0) > kMarkerThreshold) {
                break;
            }
        }
        span.start = previousMarker;
        span.end = column;
        previousMarker = column;
    }
    return spans;
}

class FontSheet : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        loaded = loadGreySheet(kSheetPath, sheet);
        spans = scanMarkers(sheet);
    }

    static const GlyphSpan& glyph(char code) { return spans[static_cast<size_t>(code - kFirstCode)]; }

    // Lowest sheet row holding any coverage of a glyph, or 0 for an empty glyph.
    static int lowestInkRow(char code)
    {
        int lowest = 0;
        for (int y = 1; y < sheet.height; ++y) {
            for (int x = glyph(code).start; x < glyph(code).end; ++x) {
                if (sheet.at(x, y) > 0) {
                    lowest = y;
                }
            }
        }
        return lowest;
    }

    static int maxCoverage(char code)
    {
        int highest = 0;
        for (int y = 1; y < sheet.height; ++y) {
            for (int x = glyph(code).start; x < glyph(code).end; ++x) {
                highest = std::max(highest, sheet.at(x, y));
            }
        }
        return highest;
    }

    static bool loaded;
    static GreySheet sheet;
    static std::vector<GlyphSpan> spans;
};

bool FontSheet::loaded = false;
GreySheet FontSheet::sheet;
std::vector<GlyphSpan> FontSheet::spans;

TEST_F(FontSheet, LoadsAsPng)
{
    ASSERT_TRUE(loaded) << kSheetPath;
    EXPECT_GT(sheet.width, kGlyphCount);
}

TEST_F(FontSheet, LineHeightSuitsTwelvePixelText)
{
    ASSERT_TRUE(loaded);
    const int lineHeight = sheet.height - 1;
    EXPECT_GE(lineHeight, 11);
    EXPECT_LE(lineHeight, 16);
}

TEST_F(FontSheet, MarkerRowDelimitsExactlyTheGlyphs)
{
    ASSERT_TRUE(loaded);
    int markers = 0;
    for (int x = 1; x < sheet.width; ++x) {
        markers += sheet.at(x, 0) > kMarkerThreshold ? 1 : 0;
    }
    EXPECT_EQ(markers, kGlyphCount) << "one marker per glyph after the first, plus one closing the last";
    EXPECT_LE(sheet.at(1, 0), kMarkerThreshold) << "a marker at column 1 would give '!' no width";
    // A real closing marker means the scan never ran off the row's end.
    EXPECT_LT(spans.back().end, sheet.width);
}

TEST_F(FontSheet, GlyphsFollowOneAnotherFromColumnOne)
{
    ASSERT_TRUE(loaded);
    EXPECT_EQ(spans.front().start, 1);
    for (size_t i = 1; i < spans.size(); ++i) {
        EXPECT_EQ(spans[i].start, spans[i - 1].end) << "glyph " << kFirstCode + i;
    }
}

TEST_F(FontSheet, EveryGlyphHasAPlausibleWidth)
{
    ASSERT_TRUE(loaded);
    for (int code = kFirstCode; code <= kLastCode; ++code) {
        const int width = glyph(static_cast<char>(code)).width();
        EXPECT_GE(width, 1) << "character " << static_cast<char>(code);
        EXPECT_LE(width, 14) << "character " << static_cast<char>(code);
    }
}

struct WidthCase {
    char code;
    int atLeast;
    int atMost;
};

TEST_F(FontSheet, NarrowAndWideLettersDiffer)
{
    ASSERT_TRUE(loaded);
    const WidthCase cases[] = {
        {'i', 1, 4}, {'l', 1, 4}, {'.', 1, 4}, {'!', 1, 4}, {'\'', 1, 4},
        {'W', 7, 14}, {'M', 7, 14}, {'m', 7, 14}, {'@', 7, 14},
        {'a', 4, 7}, {'0', 4, 7}, {'n', 4, 7},
    };
    for (const WidthCase& c : cases) {
        EXPECT_GE(glyph(c.code).width(), c.atLeast) << "character " << c.code;
        EXPECT_LE(glyph(c.code).width(), c.atMost) << "character " << c.code;
    }
    // Digits share one width so numbers such as the battery level do not jitter.
    for (char digit = '1'; digit <= '9'; ++digit) {
        EXPECT_EQ(glyph(digit).width(), glyph('0').width()) << "digit " << digit;
    }
}

TEST_F(FontSheet, GlyphsCarrySolidCoverage)
{
    ASSERT_TRUE(loaded);
    for (char code : {'A', 'l', 'W', '|', '.', '_'}) {
        EXPECT_GT(maxCoverage(code), kMarkerThreshold) << "character " << code;
    }
}

TEST_F(FontSheet, GlyphsShareOneBaseline)
{
    ASSERT_TRUE(loaded);
    const int baseline = lowestInkRow('A');
    ASSERT_GT(baseline, 1);
    for (char code : {'H', 'x', 'o', '.', '1', 'm'}) {
        // Round letters may overshoot the baseline by a partly covered row.
        EXPECT_GE(lowestInkRow(code), baseline) << "character " << code;
        EXPECT_LE(lowestInkRow(code), baseline + 1) << "character " << code;
    }
    for (char code : {'g', 'p', 'q', 'y', 'j'}) {
        EXPECT_GT(lowestInkRow(code), baseline + 1) << "descender of " << code;
        EXPECT_LT(lowestInkRow(code), sheet.height) << "descender of " << code;
    }
}

TEST_F(FontSheet, ColumnsOutsideGlyphsStayBlank)
{
    ASSERT_TRUE(loaded);
    // Column 0 and the closing marker column are never drawn, so ink there would be lost.
    for (int y = 1; y < sheet.height; ++y) {
        EXPECT_EQ(sheet.at(0, y), 0) << "row " << y;
        for (int x = spans.back().end; x < sheet.width; ++x) {
            EXPECT_EQ(sheet.at(x, y), 0) << "column " << x << " row " << y;
        }
    }
}

// The scan used above must match the launcher's, or the checks would prove nothing.
TEST(FontSheetScan, GlyphStartsOnItsMarkerAndEndsBeforeTheNext)
{
    GreySheet sheet;
    sheet.width = 12;
    sheet.height = 2;
    sheet.grey.assign(24, 0);
    sheet.grey[0] = 255;  // column 0 is never examined
    sheet.grey[5] = 129;
    sheet.grey[9] = 200;
    sheet.grey[10] = 128;  // not above the threshold
    const std::vector<GlyphSpan> spans = scanMarkers(sheet);
    EXPECT_EQ(spans[0].start, 1);
    EXPECT_EQ(spans[0].end, 5);
    EXPECT_EQ(spans[1].start, 5);
    EXPECT_EQ(spans[1].end, 9);
    // Without further markers the rest collapse to zero width at the right edge.
    EXPECT_EQ(spans[2].start, 9);
    EXPECT_EQ(spans[2].end, 12);
    EXPECT_EQ(spans[3].start, 12);
    EXPECT_EQ(spans.back().width(), 0);
}

}  // namespace
