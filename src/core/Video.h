// The 320x240 back buffers and the 640x480 SDL window they are shown in, each pixel doubled.
#pragma once

#include <cstdint>

struct SDL_Surface;

class Video {
public:
    static const int WIDTH = 320;
    static const int HEIGHT = 240;
    // Screen pixels: red in bits 11-15, green in bits 6-10, blue in bits 0-4; bit 5 stays clear.
    static const int RED_FIELD_SHIFT = 11;
    static const int GREEN_FIELD_SHIFT = 6;
    static const int FIELD_MASK = 0x1F;
    // An 8-bit channel keeps its top five bits.
    static const int CHANNEL_MASK = 0xF8;

    // The screen pixel of an 8-bit-per-channel colour.
    static uint16_t pixelFromRgb(long r, long g, long b)
    {
        return (uint16_t)(((r & CHANNEL_MASK) << 8) | ((g & CHANNEL_MASK) << 3) |
                          ((b & CHANNEL_MASK) >> 3));
    }

    // The back buffer all drawing goes to: pixel (x, y) at screen[y * WIDTH + x].
    static uint16_t* screen;

    // 0 on success; 1, with the reason on standard error, when SDL or the video mode fails.
    static int init();
    // Shows the buffer being drawn into and switches drawing to the other one.
    static void flip();
    // The doubling copy alone, without telling SDL to update the window.
    static void copyToWindow();
    // The same copy from any 320x240 buffer.
    static void copyBufferToWindow(const uint16_t* buffer);
    // One row of the back buffer doubled into two window rows of WIDTH * 4 bytes each, as
    // copyToWindow does it (with SSE2 where the processor has it), and with plain C++ only.
    static void doubleRow(const uint16_t* source, uint8_t* first, uint8_t* second);
    static void doubleRowPlain(const uint16_t* source, uint8_t* first, uint8_t* second);
    [[noreturn]] static void shutdown();
    // Called with the window after each copy and before the window is updated, so a tool can
    // draw over the doubled frame without touching the back buffers; null: nothing.
    static void setWindowOverlay(void (*overlay)(SDL_Surface* window));
    // Shows the frame last flipped again (with the overlay, if one is set).
    static void reshow();

    static SDL_Surface* window();
    static int bufferIndex();
    static uint16_t* backBuffer(int index);
    // Frames shown since the process started.
    static unsigned flipCount();
};
