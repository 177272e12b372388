// The doubling copy: each source row written twice per pixel into two screen rows at once.
#include "platform/FrameDoubler.h"

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/Video.h"

namespace {

bool isLittleEndian()
{
    const uint16_t probe = 1;
    uint8_t first = 0;
    memcpy(&first, &probe, 1);
    return first == 1;
}

} // namespace

// Built everywhere, so that tests hold the SSE2 copy to the same result.
void FrameDoubler::doubleRowPlain(const uint16_t* source, uint8_t* first, uint8_t* second)
{
    // Two source pixels per 64-bit value; memcpy keeps the stores legal at any alignment.
    for (int x = 0; x < Video::WIDTH; x += 2) {
        const uint64_t left = source[x];
        const uint64_t right = source[x + 1];
        uint64_t pair = 0;
        if (isLittleEndian())
            pair = left | (left << 16) | (right << 32) | (right << 48);
        else
            pair = (left << 48) | (left << 32) | (right << 16) | right;
        memcpy(first + x * 4, &pair, sizeof(pair));
        memcpy(second + x * 4, &pair, sizeof(pair));
    }
}

// Both rows are written from the source, so the doubled row is never read back from memory.
void FrameDoubler::doubleRow(const uint16_t* source, uint8_t* first, uint8_t* second)
{
#ifdef __SSE2__
    // Interleaving eight pixels with themselves gives sixteen doubled ones.
    static_assert(Video::WIDTH % 8 == 0, "rows are copied eight pixels at a time");
    for (int x = 0; x < Video::WIDTH; x += 8) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
        const __m128i low = _mm_unpacklo_epi16(pixels, pixels);
        const __m128i high = _mm_unpackhi_epi16(pixels, pixels);
        __m128i* out0 = reinterpret_cast<__m128i*>(first + x * 4);
        __m128i* out1 = reinterpret_cast<__m128i*>(second + x * 4);
        _mm_storeu_si128(out0, low);
        _mm_storeu_si128(out0 + 1, high);
        _mm_storeu_si128(out1, low);
        _mm_storeu_si128(out1 + 1, high);
    }
#else
    doubleRowPlain(source, first, second);
#endif
}

void FrameDoubler::doubleFrame(const uint16_t* frame, uint8_t* destination, int pitchBytes)
{
    for (int y = 0; y < Video::HEIGHT; ++y) {
        doubleRow(frame, destination, destination + pitchBytes);
        frame += Video::WIDTH;
        destination += 2 * pitchBytes;
    }
}
