// The 320x240 back buffers and the 640x480 SDL window they are shown in, each pixel doubled.
#pragma once

#include <cstdint>

struct SDL_Surface;

class Video {
public:
    static const int WIDTH = 320;
    static const int HEIGHT = 240;

    // The back buffer all drawing goes to: pixel (x, y) at screen[y * WIDTH + x].
    static uint16_t* screen;

    // 0 on success; 1 when SDL or the video mode fails.
    static int init();
    // Shows the buffer being drawn into and switches drawing to the other one.
    static void flip();
    // The doubling copy alone, without telling SDL to update the window.
    static void copyToWindow();
    [[noreturn]] static void shutdown();

    static SDL_Surface* window();
    static int bufferIndex();
    static uint16_t* backBuffer(int index);
    // Frames shown since the process started.
    static unsigned flipCount();
};
