// A 320x240 frame shown with every pixel doubled, as a 640x480 screen of the same format needs.
#pragma once

#include <cstdint>

class FrameDoubler {
public:
    // One row of a frame doubled into two screen rows of Video::WIDTH * 4 bytes each (with SSE2
    // where the processor has it), and the same with plain C++ only.
    static void doubleRow(const uint16_t* source, uint8_t* first, uint8_t* second);
    static void doubleRowPlain(const uint16_t* source, uint8_t* first, uint8_t* second);
    // A whole frame into a screen whose rows start pitchBytes apart.
    static void doubleFrame(const uint16_t* frame, uint8_t* destination, int pitchBytes);
};
