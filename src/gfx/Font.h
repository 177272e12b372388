// Proportional bitmap font read from a PNG glyph sheet with a marker row.
#pragma once

#include <cstdint>

#include "gfx/DLImage.h"

class Font {
public:
    Font();
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    bool load(const char* path);
    // Back to the state before any load: no sheet, nothing drawn, white ink.
    void clear();
    void setColour(uint16_t pixel) { m_colour = pixel; }
    uint16_t colour() const { return m_colour; }
    int lineHeight() const { return m_lineHeight; }
    // Blends text with its glyph tops at row y; returns the text's length.
    int drawText(int x, int y, const char* text);
    // Width in pixels the pen advances over text.
    int textWidth(const char* text) const;
    int glyphStart(int c) const { return (c >= 0 && c < 128) ? m_glyphStart[c] : 0; }
    int glyphEnd(int c) const { return (c >= 0 && c < 128) ? m_glyphEnd[c] : 0; }
    bool isLoaded() const { return m_image != nullptr; }

    // Pixels from..to - 1 of a screen row blended towards colour by their coverage where mask is
    // 0xFFFF (0 keeps the pixel), as drawText does it (with SSE2 where the processor has it), and
    // with plain C++ only.
    static void blendTextRow(uint16_t* row, const uint8_t* coverage, const uint16_t* mask, int from, int to,
                             uint16_t colour);
    static void blendTextRowPlain(uint16_t* row, const uint8_t* coverage, const uint16_t* mask, int from, int to,
                                  uint16_t colour);

private:
    static const uint16_t WHITE = 0xFFFF;

    DLImage* m_image;
    int m_lineHeight;
    int m_glyphStart[128];
    int m_glyphEnd[128];
    uint16_t m_colour;
};

// The process's glyph sheet, constructed after the battery (see launcher/Globals.cpp).
extern Font gFont;
