// Converting decoded PNG rows into screen pixels, and drawing them opaque or blended.
#include "gfx/DLImage.h"

#include <cstdlib>
#include <cstring>

#include "config/SkinObserver.h"
#include "platform/Video.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include "gfx/PngReader.h"

namespace {

uint16_t toScreenPixel(const unsigned char* rgb)
{
    return Video::pixelFromRgb(rgb[0], rgb[1], rgb[2]);
}

// The conversions below are written per channel count, so that the stride is a constant and
// the compiler can convert many pixels per instruction.
void alphaOf(const unsigned char* samples, size_t count, uint8_t* out)
{
    for (size_t i = 0; i < count; i++)
        out[i] = samples[i * 4 + 3];
}

// alpha, when given, receives the alpha samples of RGBA pixels.
template <int CHANNELS>
void toScreenPixelsPlain(const unsigned char* samples, size_t count, uint16_t* out, uint8_t* alpha)
{
    for (size_t i = 0; i < count; i++)
        out[i] = toScreenPixel(samples + i * CHANNELS);
    if (CHANNELS == 4 && alpha)
        alphaOf(samples, count, alpha);
}

template <int CHANNELS>
void toScreenPixels(const unsigned char* samples, size_t count, uint16_t* out, uint8_t* alpha)
{
    size_t i = 0;
#ifdef __SSE2__
    if (CHANNELS == 4) {
        // Eight RGBA pixels at a time, each read as a little-endian 32-bit R | G << 8 | B << 16,
        // and their alpha bytes with them.
        // Eight times a screen pixel is R' << 11 | G' << 6 | B' (R' = R & 0xF8, and so on): R'
        // and B' sit in the two 16-bit halves of each lane, where one multiply-add weighs them.
        const __m128i redBlue = _mm_set1_epi32(Video::CHANNEL_MASK | Video::CHANNEL_MASK << 16);
        const __m128i weights = _mm_set1_epi32(1 << 11 | 1 << 16);
        const __m128i channelMask = _mm_set1_epi32(Video::CHANNEL_MASK);
        // Moved down by half the 16-bit range, every pixel survives the signed pack.
        const __m128i half = _mm_set1_epi32(0x8000 << 3);
        const __m128i halfBack = _mm_set1_epi16(short(0x8000));
        for (; i + 8 <= count; i += 8) {
            __m128i halves[2];
            __m128i alphas[2];
            for (int h = 0; h < 2; h++) {
                const __m128i v = _mm_loadu_si128((const __m128i*)(samples + (i + 4 * h) * 4));
                const __m128i redAndBlue = _mm_madd_epi16(_mm_and_si128(v, redBlue), weights);
                const __m128i green = _mm_slli_epi32(_mm_and_si128(_mm_srli_epi32(v, 8), channelMask), 6);
                halves[h] = _mm_srai_epi32(_mm_sub_epi32(_mm_add_epi32(redAndBlue, green), half), 3);
                alphas[h] = _mm_srli_epi32(v, 24);
            }
            _mm_storeu_si128((__m128i*)(out + i),
                             _mm_xor_si128(_mm_packs_epi32(halves[0], halves[1]), halfBack));
            if (alpha) {
                const __m128i words = _mm_packs_epi32(alphas[0], alphas[1]);
                _mm_storel_epi64((__m128i*)(alpha + i), _mm_packus_epi16(words, words));
            }
        }
    }
#endif
    toScreenPixelsPlain<CHANNELS>(samples + i * CHANNELS, count - i, out + i, alpha ? alpha + i : nullptr);
}

template <int CHANNELS>
void toGreyPixels(const unsigned char* samples, size_t count, uint8_t* out)
{
    for (size_t i = 0; i < count; i++) {
        const unsigned char* sample = samples + i * CHANNELS;
        out[i] = (uint8_t)((sample[0] + sample[1] + sample[2]) / 3);
    }
}

// A decode in progress: the image's own pixels, filled row by row as libpng delivers them.
struct Conversion {
    int depth = 0;
    bool keepAlpha = false;
    size_t maxBytes = SIZE_MAX;
    int width = 0;
    int height = 0;
    int channels = 0;
    void* pixels = nullptr;
    uint8_t* alpha = nullptr;
    // False until the pixels have storage; then every row is converted.
    bool usable = false;
};

bool beginConversion(void* context, int width, int height, int channels)
{
    Conversion& c = *static_cast<Conversion*>(context);
    c.width = width;
    c.height = height;
    c.channels = channels;
    // An unusable depth or layout is refused only after the whole decode, like any other. Grey
    // rows (1 or 2 channels) come only for a grey image wanted as grey.
    const bool greyRows = c.depth == 8 && (channels == 1 || channels == 2);
    if ((c.depth != 8 && c.depth != 15 && c.depth != 16) || (channels != 3 && channels != 4 && !greyRows))
        return true;
    const bool withAlpha = (channels == 4 || channels == 2) && c.keepAlpha;
    const unsigned long long needed = DLImage::bytesFor(width, height, c.depth, withAlpha);
    if (needed > c.maxBytes) {
        if (SkinObserver* observer = SkinObserver::observer()) {
            SkinObserver::Fate refused(SkinObserver::Fate::IMAGE_OVER_BUDGET);
            refused.bytes = needed;
            refused.width = (unsigned long long)width;
            refused.height = (unsigned long long)height;
            refused.limit = c.maxBytes;
            observer->note(refused);
        }
        return false;
    }
    const size_t count = (size_t)width * (size_t)height;
    c.pixels = malloc(c.depth == 8 ? count : count * 2);
    c.alpha = withAlpha ? (uint8_t*)malloc(count) : nullptr;
    c.usable = c.pixels && (!withAlpha || c.alpha);
    return true;
}

void convertRow(void* context, int y, const unsigned char* samples)
{
    const Conversion& c = *static_cast<const Conversion*>(context);
    if (!c.usable)
        return;
    // One plain loop per kind of output, so none of them tests the depth or alpha per pixel.
    const size_t first = (size_t)y * (size_t)c.width;
    const size_t count = (size_t)c.width;
    if (c.depth == 8) {
        uint8_t* grey = (uint8_t*)c.pixels + first;
        if (c.channels == 1) {
            memcpy(grey, samples, count);
            return;
        }
        if (c.channels == 2) {
            for (size_t i = 0; i < count; i++) {
                grey[i] = samples[2 * i];
                if (c.alpha)
                    c.alpha[first + i] = samples[2 * i + 1];
            }
            return;
        }
        if (c.channels == 4)
            toGreyPixels<4>(samples, count, grey);
        else
            toGreyPixels<3>(samples, count, grey);
    } else {
        uint16_t* screenPixels = (uint16_t*)c.pixels + first;
        if (c.channels == 4) {
            toScreenPixels<4>(samples, count, screenPixels, c.alpha ? c.alpha + first : nullptr);
            return;
        }
        toScreenPixels<3>(samples, count, screenPixels, nullptr);
    }
    if (c.alpha)
        alphaOf(samples, count, c.alpha + first);
}

// The part of [start, start + length) that lies inside [0, limit), as [from, to).
bool clipSpan(int start, int length, int limit, int& from, int& to)
{
    long long first = start < 0 ? 0 : start;
    long long end = (long long)start + length;
    if (end > limit)
        end = limit;
    if (first >= end)
        return false;
    from = (int)first;
    to = (int)end;
    return true;
}

// Source over destination field by field. Written without branches or tables so that the
// compiler can blend many pixels per instruction.
inline uint16_t blendPixel(uint32_t s, uint32_t d, uint32_t a)
{
    const uint32_t rest = 255 - a;
    const uint32_t red = (a * ((s >> Video::RED_FIELD_SHIFT) & Video::FIELD_MASK)) / 255
                         + (rest * ((d >> Video::RED_FIELD_SHIFT) & Video::FIELD_MASK)) / 255;
    const uint32_t green = (a * ((s >> Video::GREEN_FIELD_SHIFT) & Video::FIELD_MASK)) / 255
                           + (rest * ((d >> Video::GREEN_FIELD_SHIFT) & Video::FIELD_MASK)) / 255;
    const uint32_t blue = (a * (s & Video::FIELD_MASK)) / 255 + (rest * (d & Video::FIELD_MASK)) / 255;
    return (uint16_t)((red << Video::RED_FIELD_SHIFT) | (green << Video::GREEN_FIELD_SHIFT) | blue);
}

void blendRowPlain(uint16_t* __restrict target, const uint16_t* __restrict source,
                   const uint8_t* __restrict alpha, int count)
{
    for (int col = 0; col < count; col++)
        target[col] = blendPixel(source[col], target[col], alpha[col]);
}

// The same, eight pixels at a time in 16-bit lanes: every product stays below 2^13, and
// (p * 0x8081) >> 23 equals p / 255 for every 16-bit p, so each field rounds as blendPixel does.
void blendRow(uint16_t* target, const uint16_t* source, const uint8_t* alpha, int count)
{
    int col = 0;
#ifdef __SSE2__
    const __m128i fieldMask = _mm_set1_epi16(Video::FIELD_MASK);
    const __m128i full = _mm_set1_epi16(255);
    const __m128i reciprocal = _mm_set1_epi16((short)0x8081);
    const __m128i zero = _mm_setzero_si128();
    const int shifts[3] = {Video::RED_FIELD_SHIFT, Video::GREEN_FIELD_SHIFT, 0};
    for (; col + 8 <= count; col += 8) {
        const __m128i s = _mm_loadu_si128((const __m128i*)(source + col));
        const __m128i d = _mm_loadu_si128((const __m128i*)(target + col));
        const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)(alpha + col)), zero);
        const __m128i rest = _mm_sub_epi16(full, a);
        __m128i blended = zero;
        for (int f = 0; f < 3; f++) {
            const __m128i sf = _mm_and_si128(_mm_srli_epi16(s, shifts[f]), fieldMask);
            const __m128i df = _mm_and_si128(_mm_srli_epi16(d, shifts[f]), fieldMask);
            const __m128i field =
                _mm_add_epi16(_mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(sf, a), reciprocal), 7),
                              _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(df, rest), reciprocal), 7));
            blended = _mm_or_si128(blended, _mm_slli_epi16(field, shifts[f]));
        }
        _mm_storeu_si128((__m128i*)(target + col), blended);
    }
#endif
    blendRowPlain(target + col, source + col, alpha + col, count - col);
}

} // namespace

void DLImage::blendImageRow(uint16_t* target, const uint16_t* source, const uint8_t* alpha, int count)
{
    blendRow(target, source, alpha, count);
}

void DLImage::blendImageRowPlain(uint16_t* target, const uint16_t* source, const uint8_t* alpha, int count)
{
    blendRowPlain(target, source, alpha, count);
}

void DLImage::rgbaToScreen(const unsigned char* samples, size_t count, uint16_t* out, uint8_t* alpha)
{
    toScreenPixels<4>(samples, count, out, alpha);
}

void DLImage::rgbaToScreenPlain(const unsigned char* samples, size_t count, uint16_t* out, uint8_t* alpha)
{
    toScreenPixelsPlain<4>(samples, count, out, alpha);
}

DLImage::DLImage() : m_pixels(nullptr), m_alpha(nullptr), m_width(0), m_height(0), m_depth(0) {}

DLImage::~DLImage()
{
    free(m_pixels);
    free(m_alpha);
}

unsigned long long DLImage::bytesFor(int width, int height, int depth, bool withAlpha)
{
    if (width <= 0 || height <= 0)
        return 0;
    const unsigned long long count = (unsigned long long)width * (unsigned long long)height;
    return count * (depth == 8 ? 1 : 2) + (withAlpha ? count : 0);
}

size_t DLImage::bytes() const
{
    if (!m_pixels)
        return 0;
    // Never more than a decode could allocate, so it fits a size_t.
    return (size_t)bytesFor(m_width, m_height, (int)m_depth, m_alpha != nullptr);
}

bool DLImage::loadPng(const char* path, int depth, bool keepAlpha, size_t maxBytes)
{
    // Built aside and swapped in at the end, so a failed load leaves the image as it was.
    Conversion conversion;
    conversion.depth = depth;
    conversion.keepAlpha = keepAlpha;
    conversion.maxBytes = maxBytes;
    // A grey image wanted as grey skips the expansion to RGB: its average is its own value.
    const bool decoded = readPngRows(path, &conversion, beginConversion, convertRow, depth == 8);
    if (!decoded || !conversion.usable) {
        free(conversion.pixels);
        free(conversion.alpha);
        return false;
    }

    free(m_pixels);
    free(m_alpha);
    m_pixels = conversion.pixels;
    m_alpha = conversion.alpha;
    m_width = conversion.width;
    m_height = conversion.height;
    m_depth = (unsigned)depth;
    return true;
}

int DLImage::pixelAt(int x, int y) const
{
    if (!m_pixels)
        return 0;
    int index = x + y * m_width;
    if (m_depth == 8)
        return ((const uint8_t*)m_pixels)[index];
    return ((const uint16_t*)m_pixels)[index];
}

int DLImage::blit(int x, int y) const
{
    if (!m_pixels || m_depth == 8 || !Video::screen)
        return 0;
    int left, right, top, bottom;
    if (!clipSpan(x, m_width, Video::WIDTH, left, right) || !clipSpan(y, m_height, Video::HEIGHT, top, bottom))
        return 0;
    const uint16_t* source = (const uint16_t*)m_pixels;
    for (int row = top; row < bottom; row++) {
        memmove(Video::screen + row * Video::WIDTH + left, source + (size_t)(row - y) * m_width + (left - x),
                (size_t)(right - left) * 2);
    }
    return 0;
}

int DLImage::blitAlpha(int x, int y) const
{
    if (!m_alpha)
        return blit(x, y);
    if (!m_pixels || m_depth == 8 || !Video::screen)
        return 0;
    int left, right, top, bottom;
    if (!clipSpan(x, m_width, Video::WIDTH, left, right) || !clipSpan(y, m_height, Video::HEIGHT, top, bottom))
        return 0;
    const int columns = right - left;
    for (int row = top; row < bottom; row++) {
        const size_t from = (size_t)(row - y) * m_width + (left - x);
        blendRow(Video::screen + row * Video::WIDTH + left, (const uint16_t*)m_pixels + from, m_alpha + from,
                 columns);
    }
    return 0;
}
