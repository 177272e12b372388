// A 320x240 frame written into a page of framebuffer memory: converted to the screen's pixel
// layout, scaled by the largest whole factor that fits, centred, and turned 180 degrees if asked.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handheld/ScreenFormat.h"

class FrameConverter {
public:
    // false, with the reason in problem, for a screen smaller than a frame or a layout it
    // cannot write (16 and 32 bits per pixel, channels of at most 8 bits, are written).
    bool configure(const ScreenFormat& format, bool upsideDown, std::string& problem);
    // The frame into one page (format.height rows of format.lineLength bytes). Only the frame's
    // own area is written: what lies around it keeps what fill put there.
    void convert(const uint16_t* frame, uint8_t* page) const;
    // The whole page black.
    void fill(uint8_t* page) const;

    int scale() const { return m_scale; }
    int left() const { return m_left; }
    int top() const { return m_top; }

private:
    uint32_t screenPixel(uint16_t pixel) const { return m_fromHigh[pixel >> 8] | m_fromLow[pixel & 0xFF]; }
    void convertRow(const uint16_t* source, uint8_t* row) const;

    ScreenFormat m_format;
    bool m_upsideDown = false;
    // Pixels copied as they are: a 16-bit screen of the frame's own layout.
    bool m_sameLayout = false;
    int m_scale = 1;
    int m_left = 0;
    int m_top = 0;
    int m_bytesPerPixel = 2;
    // Each channel's bits are placed independently, so a screen pixel is the OR of what the
    // frame pixel's high byte and low byte each give.
    uint32_t m_fromHigh[256] = {};
    uint32_t m_fromLow[256] = {};
};
