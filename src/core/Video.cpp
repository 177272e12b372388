// The back buffers, the doubling copy into the SDL window, and SDL start and stop.
#include "core/Video.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/Input.h"

namespace {

const int WINDOW_WIDTH = Video::WIDTH * 2;
const int WINDOW_HEIGHT = Video::HEIGHT * 2;
const int WINDOW_DEPTH = 16;
const char* const WINDOW_CAPTION = "Trevandel";
const size_t BUFFER_BYTES = size_t(Video::WIDTH) * Video::HEIGHT * sizeof(uint16_t);

bool isLittleEndian()
{
    const uint16_t probe = 1;
    uint8_t first = 0;
    memcpy(&first, &probe, 1);
    return first == 1;
}

uint16_t* gBuffers[2] = {nullptr, nullptr};
int gBufferIndex = 0;
SDL_Surface* gWindow = nullptr;
unsigned gFlipCount = 0;
void (*gOverlay)(SDL_Surface* window) = nullptr;

// Built everywhere, so that tests hold the SSE2 copy to the same result.
void doubleRowTwicePlain(const uint16_t* source, uint8_t* first, uint8_t* second)
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

// One source row written twice per pixel into two destination rows at once, so the doubled
// row is never read back from memory.
void doubleRowTwice(const uint16_t* source, uint8_t* first, uint8_t* second)
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
    doubleRowTwicePlain(source, first, second);
#endif
}

} // namespace

void Video::doubleRow(const uint16_t* source, uint8_t* first, uint8_t* second)
{
    doubleRowTwice(source, first, second);
}

void Video::doubleRowPlain(const uint16_t* source, uint8_t* first, uint8_t* second)
{
    doubleRowTwicePlain(source, first, second);
}

uint16_t* Video::screen = nullptr;

int Video::init()
{
    Input::reset();
    gBufferIndex = 0;
    for (int i = 0; i < 2; ++i) {
        if (!gBuffers[i])
            gBuffers[i] = static_cast<uint16_t*>(malloc(BUFFER_BYTES));
        if (!gBuffers[i]) {
            fprintf(stderr, "Couldn't allocate the screen buffers\n");
            return 1;
        }
    }
    screen = gBuffers[0];
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        return 1;
    }
    gWindow = SDL_SetVideoMode(WINDOW_WIDTH, WINDOW_HEIGHT, WINDOW_DEPTH, SDL_SWSURFACE);
    if (!gWindow) {
        fprintf(stderr, "Couldn't set video mode: %s\n", SDL_GetError());
        return 1;
    }
    // Only the title: the icon name is left to the window manager.
    SDL_WM_SetCaption(WINDOW_CAPTION, nullptr);
    return 0;
}

void Video::copyToWindow()
{
    copyBufferToWindow(screen);
}

void Video::copyBufferToWindow(const uint16_t* buffer)
{
    if (!gWindow || !buffer || gWindow->format->BytesPerPixel != sizeof(uint16_t))
        return;
    if (SDL_MUSTLOCK(gWindow) && SDL_LockSurface(gWindow) < 0)
        return;
    const int pitch = gWindow->pitch;
    uint8_t* destination = static_cast<uint8_t*>(gWindow->pixels);
    const uint16_t* source = buffer;
    for (int y = 0; y < HEIGHT; ++y) {
        doubleRowTwice(source, destination, destination + pitch);
        source += WIDTH;
        destination += 2 * pitch;
    }
    if (SDL_MUSTLOCK(gWindow))
        SDL_UnlockSurface(gWindow);
}

void Video::flip()
{
    copyToWindow();
    if (gWindow && gOverlay)
        gOverlay(gWindow);
    if (gWindow)
        SDL_UpdateRect(gWindow, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT);
    gBufferIndex ^= 1;
    screen = gBuffers[gBufferIndex];
    ++gFlipCount;
}

void Video::setWindowOverlay(void (*overlay)(SDL_Surface* window))
{
    gOverlay = overlay;
}

void Video::reshow()
{
    if (!gWindow)
        return;
    copyBufferToWindow(gBuffers[gBufferIndex ^ 1]);
    if (gOverlay)
        gOverlay(gWindow);
    SDL_UpdateRect(gWindow, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT);
}

void Video::shutdown()
{
    SDL_Quit();
    exit(0);
}

SDL_Surface* Video::window()
{
    return gWindow;
}

int Video::bufferIndex()
{
    return gBufferIndex;
}

uint16_t* Video::backBuffer(int index)
{
    return (index == 0 || index == 1) ? gBuffers[index] : nullptr;
}

unsigned Video::flipCount()
{
    return gFlipCount;
}
