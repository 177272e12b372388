// Loading the glyph sheet and blending text into the back buffer in one colour.
#include "gfx/Font.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/Video.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

const int FIRST_GLYPH = 33;
const int LAST_GLYPH = 126;
const int SPACE = 32;
const int SPACE_ADVANCE = 3;
// Row 0 pixels brighter than this start a glyph.
const int MARKER_GREY = 128;
// The red, green and blue fields together: every bit but bit 5.
const int PIXEL_FIELDS = 0xFFDF;

#ifdef __SSE2__
// s / 255 == (s * DIVIDE_BY_255) >> 23 for 0 <= s < 2^16.
const int DIVIDE_BY_255 = 0x8081;
#endif
// Glyph rows are copied in blocks of this many bytes.
const int COPY_BYTES = 8;

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
    int d = (screen >> shift) & Video::FIELD_MASK;
    int t = (colour >> shift) & Video::FIELD_MASK;
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
    return blendField(screen, colour, coverage, Video::RED_FIELD_SHIFT) | blendField(screen, colour, coverage, Video::GREEN_FIELD_SHIFT)
           | blendField(screen, colour, coverage, 0);
}

// Text pixels from..to - 1 of a screen row blended by their coverage; pixels whose mask is 0
// keep their value.
void blendRowPlain(uint16_t* __restrict row, const uint8_t* __restrict coverage, const uint16_t* __restrict mask,
                   int from, int to, int colour)
{
    for (int x = from; x < to; x++) {
        if (mask[x])
            row[x] = blendPixel(row[x], colour, coverage[x]);
    }
}

void blendRow(uint16_t* __restrict row, const uint8_t* __restrict coverage, const uint16_t* __restrict mask,
              int from, int to, int colour)
{
    int x = from;
#ifdef __SSE2__
    // Eight pixels at a time in 16-bit lanes: every product and sum stays below 2^13, and
    // (s * 0x8081) >> 23 equals s / 255 for every 16-bit s.
    const __m128i fieldMask = _mm_set1_epi16(Video::FIELD_MASK);
    const __m128i full = _mm_set1_epi16(255);
    const __m128i reciprocal = _mm_set1_epi16((short)DIVIDE_BY_255);
    const __m128i red = _mm_set1_epi16((short)((colour >> Video::RED_FIELD_SHIFT) & Video::FIELD_MASK));
    const __m128i green = _mm_set1_epi16((short)((colour >> Video::GREEN_FIELD_SHIFT) & Video::FIELD_MASK));
    const __m128i blue = _mm_set1_epi16((short)(colour & Video::FIELD_MASK));
    const __m128i zero = _mm_setzero_si128();
    for (; x + 8 <= to; x += 8) {
        const __m128i screen = _mm_loadu_si128((const __m128i*)(row + x));
        const __m128i keep = _mm_loadu_si128((const __m128i*)(mask + x));
        const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)(coverage + x)), zero);
        const __m128i rest = _mm_sub_epi16(full, a);
        __m128i fields[3];
        const __m128i screenFields[3] = {_mm_and_si128(_mm_srli_epi16(screen, Video::RED_FIELD_SHIFT), fieldMask),
                                         _mm_and_si128(_mm_srli_epi16(screen, Video::GREEN_FIELD_SHIFT), fieldMask),
                                         _mm_and_si128(screen, fieldMask)};
        const __m128i textFields[3] = {red, green, blue};
        for (int f = 0; f < 3; f++) {
            const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(screenFields[f], rest), _mm_mullo_epi16(textFields[f], a));
            fields[f] = _mm_srli_epi16(_mm_mulhi_epu16(sum, reciprocal), 7);
        }
        const __m128i blended = _mm_or_si128(
            _mm_or_si128(_mm_slli_epi16(fields[0], Video::RED_FIELD_SHIFT), _mm_slli_epi16(fields[1], Video::GREEN_FIELD_SHIFT)),
            fields[2]);
        const __m128i out = _mm_or_si128(_mm_and_si128(keep, blended), _mm_andnot_si128(keep, screen));
        _mm_storeu_si128((__m128i*)(row + x), out);
    }
#endif
    blendRowPlain(row, coverage, mask, x, to, colour);
}

} // namespace

void Font::blendTextRow(uint16_t* row, const uint8_t* coverage, const uint16_t* mask, int from, int to, uint16_t colour)
{
    blendRow(row, coverage, mask, from, to, colour);
}

void Font::blendTextRowPlain(uint16_t* row, const uint8_t* coverage, const uint16_t* mask, int from, int to,
                             uint16_t colour)
{
    blendRowPlain(row, coverage, mask, from, to, colour);
}

Font::Font() : m_image(nullptr), m_lineHeight(0), m_colour(WHITE)
{
    memset(m_glyphStart, 0, sizeof(m_glyphStart));
    memset(m_glyphEnd, 0, sizeof(m_glyphEnd));
}

Font::~Font()
{
    delete m_image;
}

void Font::clear()
{
    delete m_image;
    m_image = nullptr;
    m_lineHeight = 0;
    m_colour = WHITE;
    memset(m_glyphStart, 0, sizeof(m_glyphStart));
    memset(m_glyphEnd, 0, sizeof(m_glyphEnd));
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
    const bool drawing = sheet && Video::screen;

    // The glyph pieces that land on the screen. They never overlap and each covers at least one
    // screen column, so there are at most Video::WIDTH of them.
    struct Piece {
        int column;
        int width;
        int sheetColumn;
    };
    Piece pieces[Video::WIDTH];
    int pieceCount = 0;
    long long penX = x;
    int length = 0;
    for (const char* p = text; *p; p++, length++) {
        int c = (signed char)*p;
        int advance = advanceOf(m_glyphStart, m_glyphEnd, c);
        if (c >= FIRST_GLYPH && c <= LAST_GLYPH && drawing && penX < Video::WIDTH) {
            const int firstColumn = penX < 0 ? (int)std::min<long long>(-penX, advance) : 0;
            const int endColumn = (int)std::min<long long>(advance, Video::WIDTH - penX);
            if (firstColumn < endColumn)
                pieces[pieceCount++] = {(int)(penX + firstColumn), endColumn - firstColumn,
                                        m_glyphStart[c] + firstColumn};
        }
        penX += advance;
    }
    if (pieceCount == 0)
        return length;

    // Rows of the glyph that land on the screen, the same for every character of the text.
    const int firstRow = y < 0 ? (int)std::min<long long>(-(long long)y, m_lineHeight) : 0;
    const int endRow =
        (int)std::max<long long>(firstRow, std::min<long long>(m_lineHeight, (long long)Video::HEIGHT - y));

    // One screen row of the text at a time: the coverage of all its glyphs side by side, and
    // a mask that keeps the pixels between them (under spaces) as they are.
    const int from = pieces[0].column;
    const int to = pieces[pieceCount - 1].column + pieces[pieceCount - 1].width;
    uint8_t coverage[Video::WIDTH + COPY_BYTES];
    uint16_t drawn[Video::WIDTH];
    memset(drawn + from, 0, (size_t)(to - from) * sizeof(uint16_t));
    for (int i = 0; i < pieceCount; i++)
        std::fill(drawn + pieces[i].column, drawn + pieces[i].column + pieces[i].width, (uint16_t)0xFFFF);
    const size_t sheetBytes = (size_t)sheetWidth * m_image->height();
    for (int r = firstRow; r < endRow; r++) {
        const size_t rowStart = (size_t)(r + 1) * sheetWidth;
        // Glyphs are a few pixels wide: they are copied in whole blocks of COPY_BYTES, left to
        // right, so what a block copies past a glyph's end is overwritten by the next glyph or
        // lies under the mask. Only near the end of the sheet does a block not fit.
        for (int i = 0; i < pieceCount; i++) {
            const Piece& piece = pieces[i];
            const size_t start = rowStart + piece.sheetColumn;
            uint8_t* out = coverage + piece.column;
            if (start + piece.width + COPY_BYTES <= sheetBytes) {
                // Two blocks written out, so that the compiler does not turn them into a call.
                memcpy(out, sheet + start, COPY_BYTES);
                if (piece.width > COPY_BYTES)
                    memcpy(out + COPY_BYTES, sheet + start + COPY_BYTES, COPY_BYTES);
                for (int k = 2 * COPY_BYTES; k < piece.width; k += COPY_BYTES)
                    memcpy(out + k, sheet + start + k, COPY_BYTES);
            } else {
                memcpy(out, sheet + start, (size_t)piece.width);
            }
        }
        blendRow(Video::screen + (y + r) * Video::WIDTH, coverage, drawn, from, to, m_colour);
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
