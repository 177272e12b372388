// A decoded image in the screen's 16-bit format (or 8-bit grey), with an optional alpha plane.
#pragma once

#include <cstddef>
#include <cstdint>

class DLImage {
public:
    DLImage();
    ~DLImage();
    DLImage(const DLImage&) = delete;
    DLImage& operator=(const DLImage&) = delete;

    // depth 8 (grey), 15 or 16 (5-5-5 with bit 5 clear); keepAlpha keeps a 4th channel.
    // An image that would take more than maxBytes (see bytes()) is refused from its header.
    bool loadPng(const char* path, int depth, bool keepAlpha, size_t maxBytes = SIZE_MAX);
    // What the pixels and the alpha plane take.
    size_t bytes() const;
    // What an image of that size and kind takes once loaded.
    static unsigned long long bytesFor(int width, int height, int depth, bool withAlpha);
    int pixelAt(int x, int y) const;
    int alphaAt(int x, int y) const { return m_alpha ? m_alpha[x + y * m_width] : 255; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int depth() const { return (int)m_depth; }
    bool hasAlpha() const { return m_alpha != nullptr; }
    // Row-major samples of a depth-8 image (width bytes a row); null for other depths.
    const uint8_t* greyPixels() const { return m_depth == 8 ? (const uint8_t*)m_pixels : nullptr; }
    // Both draw into Video::screen, clipped to 320x240; a depth-8 image draws nothing.
    int blit(int x, int y) const;
    int blitAlpha(int x, int y) const;

    // count RGBA pixels of a decoded row in screen format, and their alpha samples into alpha
    // when it is given, as loadPng converts them (with SSE2 where the processor has it), and
    // with plain C++ only.
    static void rgbaToScreen(const unsigned char* samples, size_t count, uint16_t* out,
                             uint8_t* alpha = nullptr);
    static void rgbaToScreenPlain(const unsigned char* samples, size_t count, uint16_t* out,
                                  uint8_t* alpha = nullptr);
    // count pixels of an image row blended over target by their alpha, as blitAlpha does it
    // (with SSE2 where the processor has it), and with plain C++ only.
    static void blendImageRow(uint16_t* target, const uint16_t* source, const uint8_t* alpha, int count);
    static void blendImageRowPlain(uint16_t* target, const uint16_t* source, const uint8_t* alpha, int count);

private:
    void* m_pixels;
    uint8_t* m_alpha;
    int m_width;
    int m_height;
    unsigned m_depth;
};
