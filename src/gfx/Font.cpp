// Loading the glyph sheet and blending text into the back buffer in one colour.
#include "gfx/Font.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/Video.h"

namespace {

const int FIRST_GLYPH = 33;
const int LAST_GLYPH = 126;
const int SPACE = 32;
const int SPACE_ADVANCE = 3;
// Row 0 pixels brighter than this start a glyph.
const int MARKER_GREY = 128;
const int RED_FIELD_SHIFT = 11;
const int GREEN_FIELD_SHIFT = 6;
const int FIELD_MASK = 0x1F;
// The red, green and blue fields together: every bit but bit 5.
const int PIXEL_FIELDS = 0xFFDF;

// What the pen moves over one byte; bytes with no glyph and no space move it by 0.
int advanceOf(const int* glyphStart, const int* glyphEnd, int c)
{
    if (c >= FIRST_GLYPH && c <= LAST_GLYPH)
        return glyphEnd[c] - glyphStart[c];
    if (c == SPACE)
        return SPACE_ADVANCE;
    return 0;
}

uint16_t blendField(int screen, int colour, int coverage, int shift)
{
    int d = (screen >> shift) & FIELD_MASK;
    int t = (colour >> shift) & FIELD_MASK;
    return (uint16_t)(((d * (255 - coverage) + t * coverage) / 255) << shift);
}

// The three fields blended; no coverage keeps the screen and full coverage gives the colour,
// both without bit 5, exactly as the general sum does.
uint16_t blendPixel(int screen, int colour, int coverage)
{
    if (coverage == 0)
        return (uint16_t)(screen & PIXEL_FIELDS);
    if (coverage == 255)
        return (uint16_t)(colour & PIXEL_FIELDS);
    return blendField(screen, colour, coverage, RED_FIELD_SHIFT) | blendField(screen, colour, coverage, GREEN_FIELD_SHIFT)
           | blendField(screen, colour, coverage, 0);
}

} // namespace

Font::Font() : m_image(nullptr), m_lineHeight(0), m_colour(0xFFFF)
{
    memset(m_glyphStart, 0, sizeof(m_glyphStart));
    memset(m_glyphEnd, 0, sizeof(m_glyphEnd));
}

Font::~Font()
{
    delete m_image;
}

bool Font::load(const char* path)
{
    DLImage* sheet = new DLImage;
    if (!sheet->loadPng(path, 8, true)) {
        // A failed reload keeps the sheet already in use, so the tables stay consistent with it.
        delete sheet;
        return false;
    }
    delete m_image;
    m_image = sheet;
    printf("Loaded font: %ix%i\n", sheet->width(), sheet->height());
    m_lineHeight = sheet->height() - 1;
    memset(m_glyphStart, 0, sizeof(m_glyphStart));
    memset(m_glyphEnd, 0, sizeof(m_glyphEnd));

    int width = sheet->width();
    int column = 0;
    int previousMarker = 1;
    for (int c = FIRST_GLYPH; c <= LAST_GLYPH; c++) {
        while (column < width) {
            column++;
            if (column < width && sheet->pixelAt(column, 0) > MARKER_GREY)
                break;
        }
        m_glyphStart[c] = previousMarker;
        m_glyphEnd[c] = column;
        previousMarker = column;
    }
    return true;
}

int Font::drawText(int x, int y, const char* text)
{
    if (!text)
        return 0;
    const uint8_t* sheet = m_image ? m_image->greyPixels() : nullptr;
    const int sheetWidth = m_image ? m_image->width() : 0;
    // Rows of the glyph that land on the screen, the same for every character of the text.
    const int firstRow = y < 0 ? (int)std::min<long long>(-(long long)y, m_lineHeight) : 0;
    const int endRow =
        (int)std::max<long long>(firstRow, std::min<long long>(m_lineHeight, (long long)Video::HEIGHT - y));
    const int colour = m_colour;
    long long penX = x;
    int length = 0;
    for (const char* p = text; *p; p++, length++) {
        int c = (signed char)*p;
        int advance = advanceOf(m_glyphStart, m_glyphEnd, c);
        if (c >= FIRST_GLYPH && c <= LAST_GLYPH && sheet && Video::screen && penX < Video::WIDTH) {
            const int firstColumn = penX < 0 ? (int)std::min<long long>(-penX, advance) : 0;
            const int endColumn = (int)std::min<long long>(advance, Video::WIDTH - penX);
            const uint8_t* glyph = sheet + m_glyphStart[c];
            for (int r = firstRow; r < endRow; r++) {
                const uint8_t* coverage = glyph + (size_t)(r + 1) * sheetWidth;
                uint16_t* line = Video::screen + (y + r) * Video::WIDTH;
                for (int k = firstColumn; k < endColumn; k++)
                    line[penX + k] = blendPixel(line[penX + k], colour, coverage[k]);
            }
        }
        penX += advance;
    }
    return length;
}

int Font::textWidth(const char* text) const
{
    if (!text)
        return 0;
    int width = 0;
    for (const char* p = text; *p; p++)
        width += advanceOf(m_glyphStart, m_glyphEnd, (signed char)*p);
    return width;
}
