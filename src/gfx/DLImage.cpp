// Converting decoded PNG rows into screen pixels, and drawing them opaque or blended.
#include "gfx/DLImage.h"

#include <cstdlib>
#include <cstring>
#include <string>

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
template <int CHANNELS>
void toScreenPixelsPlain(const unsigned char* samples, size_t count, uint16_t* out)
{
    for (size_t i = 0; i < count; i++)
        out[i] = toScreenPixel(samples + i * CHANNELS);
}

template <int CHANNELS>
void toScreenPixels(const unsigned char* samples, size_t count, uint16_t* out)
{
    size_t i = 0;
#ifdef __SSE2__
    if (CHANNELS == 4) {
        // Eight RGBA pixels at a time, each read as a little-endian 32-bit R | G << 8 | B << 16.
        const __m128i redMask = _mm_set1_epi32(Video::CHANNEL_MASK);
        const __m128i greenMask = _mm_set1_epi32(Video::CHANNEL_MASK << 8);
        const __m128i blueMask = _mm_set1_epi32(Video::CHANNEL_MASK << 16);
        for (; i + 8 <= count; i += 8) {
            __m128i halves[2];
            for (int h = 0; h < 2; h++) {
                const __m128i v = _mm_loadu_si128((const __m128i*)(samples + (i + 4 * h) * 4));
                const __m128i pixel = _mm_or_si128(
                    _mm_or_si128(_mm_slli_epi32(_mm_and_si128(v, redMask), 8),
                                 _mm_srli_epi32(_mm_and_si128(v, greenMask), 5)),
                    _mm_srli_epi32(_mm_and_si128(v, blueMask), 19));
                // Sign-extended from 16 bits, so that the saturating pack keeps every value.
                halves[h] = _mm_srai_epi32(_mm_slli_epi32(pixel, 16), 16);
            }
            _mm_storeu_si128((__m128i*)(out + i), _mm_packs_epi32(halves[0], halves[1]));
        }
    }
#endif
    toScreenPixelsPlain<CHANNELS>(samples + i * CHANNELS, count - i, out + i);
}

template <int CHANNELS>
void toGreyPixels(const unsigned char* samples, size_t count, uint8_t* out)
{
    for (size_t i = 0; i < count; i++) {
        const unsigned char* sample = samples + i * CHANNELS;
        out[i] = (uint8_t)((sample[0] + sample[1] + sample[2]) / 3);
    }
}

void alphaOf(const unsigned char* samples, size_t count, uint8_t* out)
{
    for (size_t i = 0; i < count; i++)
        out[i] = samples[i * 4 + 3];
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
    // An unusable depth or layout is refused only after the whole decode, like any other.
    if ((c.depth != 8 && c.depth != 15 && c.depth != 16) || (channels != 3 && channels != 4))
        return true;
    const bool withAlpha = channels == 4 && c.keepAlpha;
    const unsigned long long needed = DLImage::bytesFor(width, height, c.depth, withAlpha);
    if (needed > c.maxBytes) {
        if (SkinObserver* observer = SkinObserver::observer())
            observer->noteImageError("needs " + std::to_string(needed) + " bytes decoded (" +
                                        std::to_string(width) + "x" + std::to_string(height) +
                                        "), more than the " + std::to_string(c.maxBytes) +
                                        " left of the image budget");
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
        if (c.channels == 4)
            toGreyPixels<4>(samples, count, grey);
        else
            toGreyPixels<3>(samples, count, grey);
    } else {
        uint16_t* screenPixels = (uint16_t*)c.pixels + first;
        if (c.channels == 4)
            toScreenPixels<4>(samples, count, screenPixels);
        else
            toScreenPixels<3>(samples, count, screenPixels);
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

} // namespace

void DLImage::rgbaToScreen(const unsigned char* samples, size_t count, uint16_t* out)
{
    toScreenPixels<4>(samples, count, out);
}

void DLImage::rgbaToScreenPlain(const unsigned char* samples, size_t count, uint16_t* out)
{
    toScreenPixelsPlain<4>(samples, count, out);
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
    const bool decoded = readPngRows(path, &conversion, beginConversion, convertRow);
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
        const uint16_t* __restrict source = (const uint16_t*)m_pixels + from;
        const uint8_t* __restrict alpha = m_alpha + from;
        uint16_t* __restrict target = Video::screen + row * Video::WIDTH + left;
        for (int col = 0; col < columns; col++)
            target[col] = blendPixel(source[col], target[col], alpha[col]);
    }
    return 0;
}
