// The back buffers, the doubling copy into the SDL window, and SDL start and stop.
#include "core/Video.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Input.h"

namespace {

const int WINDOW_WIDTH = Video::WIDTH * 2;
const int WINDOW_HEIGHT = Video::HEIGHT * 2;
const int WINDOW_DEPTH = 16;
const size_t BUFFER_BYTES = size_t(Video::WIDTH) * Video::HEIGHT * sizeof(uint16_t);

uint16_t* gBuffers[2] = {nullptr, nullptr};
int gBufferIndex = 0;
SDL_Surface* gWindow = nullptr;
unsigned gFlipCount = 0;

// One source row written twice per pixel; 32-bit stores when the row is aligned for them.
void doubleRow(const uint16_t* source, uint8_t* destination)
{
    if ((reinterpret_cast<uintptr_t>(destination) & 3) == 0) {
        uint32_t* out = reinterpret_cast<uint32_t*>(destination);
        for (int x = 0; x < Video::WIDTH; ++x) {
            uint32_t pixel = source[x];
            out[x] = pixel | (pixel << 16);
        }
    } else {
        uint16_t pair[2];
        for (int x = 0; x < Video::WIDTH; ++x) {
            pair[0] = pair[1] = source[x];
            memcpy(destination + x * sizeof(pair), pair, sizeof(pair));
        }
    }
}

} // namespace

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
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        return 1;
    gWindow = SDL_SetVideoMode(WINDOW_WIDTH, WINDOW_HEIGHT, WINDOW_DEPTH, SDL_SWSURFACE);
    if (!gWindow) {
        fprintf(stderr, "Couldn't set video mode: %s\n", SDL_GetError());
        return 1;
    }
    return 0;
}

void Video::copyToWindow()
{
    if (!gWindow || !screen || gWindow->format->BytesPerPixel != sizeof(uint16_t))
        return;
    if (SDL_MUSTLOCK(gWindow) && SDL_LockSurface(gWindow) < 0)
        return;
    const int rowBytes = WINDOW_WIDTH * int(sizeof(uint16_t));
    const int pitch = gWindow->pitch;
    uint8_t* destination = static_cast<uint8_t*>(gWindow->pixels);
    const uint16_t* source = screen;
    for (int y = 0; y < HEIGHT; ++y) {
        doubleRow(source, destination);
        memcpy(destination + pitch, destination, rowBytes);
        source += WIDTH;
        destination += 2 * pitch;
    }
    if (SDL_MUSTLOCK(gWindow))
        SDL_UnlockSurface(gWindow);
}

void Video::flip()
{
    copyToWindow();
    if (gWindow)
        SDL_UpdateRect(gWindow, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT);
    gBufferIndex ^= 1;
    screen = gBuffers[gBufferIndex];
    ++gFlipCount;
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
