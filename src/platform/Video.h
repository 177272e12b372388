// The 320x240 back buffers all drawing goes to, and their pixel format; the platform shows them.
#pragma once

#include <cstdint>

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

    // The buffers, then the platform's screen; 0 on success, 1 (with the reason on standard
    // error) when either fails.
    static int init();
    // Shows the buffer being drawn into and switches drawing to the other one.
    static void flip();
    // Shows the frame last flipped again.
    static void reshow();
    // Gives the platform's screen up; the buffers stay, and init opens it again.
    static void close();
    // Closes the screen and ends the process with status 0.
    [[noreturn]] static void shutdown();

    static int bufferIndex();
    static uint16_t* backBuffer(int index);
    // The frame on screen: the buffer flipped last, not the one drawing goes to next.
    static const uint16_t* shownFrame() { return backBuffer(bufferIndex() ^ 1); }
    // Frames shown since the process started.
    static unsigned flipCount();
};
