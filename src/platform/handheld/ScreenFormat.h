// A framebuffer's geometry and pixel layout, as its driver describes them or a test gives them.
#pragma once

#include <string>

struct ScreenFormat {
    // One colour channel within a pixel value: its lowest bit and its number of bits.
    struct Field {
        int offset;
        int length;
    };

    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    // Bytes from one row to the next; at least width * bitsPerPixel / 8.
    int lineLength = 0;
    // Rows of memory: two pages of height rows allow page flipping.
    int virtualHeight = 0;
    // The first row shown when the device was opened.
    int yOffset = 0;
    Field red = {0, 0};
    Field green = {0, 0};
    Field blue = {0, 0};
    Field transp = {0, 0};

    // "WxHxBPP" then optional words line=N virtual=N yoffset=N red=OFFSET:LENGTH green=… blue=…
    // transp=…; what is left out is as such a screen usually has it (RGB565 at 16 bits,
    // XRGB8888 at 32). false, with the reason in problem, for text that says nothing sound.
    static bool parse(const char* text, ScreenFormat& format, std::string& problem);
    // "640x480, 16 bits per pixel": for messages.
    std::string describe() const;
};
