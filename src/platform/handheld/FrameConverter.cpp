// The pixel lookup tables, and the row loops for the common screens and any other.
#include "platform/handheld/FrameConverter.h"

#include <algorithm>
#include <cstring>

#include "platform/FrameDoubler.h"
#include "platform/Video.h"

namespace {

const int CHANNEL_BITS = 5;
const int BLUE_SHIFT = 0;

// A 5-bit channel value in a field of length bits: the top bits where the field is shorter, the
// value with its bits repeated into the low end where it is longer.
uint32_t widen(uint32_t value, int length)
{
    if (length <= CHANNEL_BITS)
        return value >> (CHANNEL_BITS - length);
    uint32_t out = 0;
    int filled = 0;
    while (filled < length) {
        const int shift = length - filled - CHANNEL_BITS;
        out |= shift >= 0 ? value << shift : value >> -shift;
        filled += CHANNEL_BITS;
    }
    return out & ((1u << length) - 1);
}

bool sameField(const ScreenFormat::Field& field, int offset, int length)
{
    return field.offset == offset && field.length == length;
}

} // namespace

bool FrameConverter::configure(const ScreenFormat& format, bool upsideDown, std::string& problem)
{
    if (format.bitsPerPixel != 16 && format.bitsPerPixel != 32) {
        problem = format.describe() + ": only 16 and 32 bits per pixel can be drawn";
        return false;
    }
    if (format.width < Video::WIDTH || format.height < Video::HEIGHT) {
        problem = format.describe() + ": the menu needs at least 320x240";
        return false;
    }
    const ScreenFormat::Field* fields[] = {&format.red, &format.green, &format.blue, &format.transp};
    for (const ScreenFormat::Field* field : fields) {
        if (field->length > 8 || field->offset + field->length > format.bitsPerPixel) {
            problem = format.describe() + ": a colour channel of " + std::to_string(field->length) +
                      " bits at bit " + std::to_string(field->offset) + " cannot be written";
            return false;
        }
    }
    m_bytesPerPixel = format.bitsPerPixel / 8;
    if (format.lineLength < format.width * m_bytesPerPixel) {
        problem = format.describe() + ": rows of " + std::to_string(format.lineLength) +
                  " bytes are too short";
        return false;
    }
    m_format = format;
    m_upsideDown = upsideDown;
    m_scale = std::min(format.width / Video::WIDTH, format.height / Video::HEIGHT);
    m_left = (format.width - Video::WIDTH * m_scale) / 2;
    m_top = (format.height - Video::HEIGHT * m_scale) / 2;
    m_sameLayout = format.bitsPerPixel == 16 && sameField(format.red, 11, 5) &&
                   sameField(format.green, 5, 6) && sameField(format.blue, 0, 5) &&
                   format.transp.length == 0;

    const uint32_t opaque = format.transp.length ? ((1u << format.transp.length) - 1) << format.transp.offset : 0;
    for (uint32_t byte = 0; byte < 256; ++byte) {
        // The high byte holds red (bits 11-15) and green's top three bits (8-10); the low byte
        // green's low two (6-7) and blue (0-4). Bit 5 counts only where a field takes green
        // whole, as a 6-bit one does.
        const uint32_t high = byte << 8;
        const uint32_t low = byte;
        uint32_t fromHigh = opaque;
        uint32_t fromLow = 0;
        fromHigh |= widen((high >> Video::RED_FIELD_SHIFT) & Video::FIELD_MASK, format.red.length) << format.red.offset;
        fromLow |= widen((low >> BLUE_SHIFT) & Video::FIELD_MASK, format.blue.length) << format.blue.offset;
        if (format.green.length == 6) {
            fromHigh |= ((high >> 5) & 0x3F) << format.green.offset;
            fromLow |= ((low >> 5) & 0x3F) << format.green.offset;
        } else {
            fromHigh |= widen((high >> Video::GREEN_FIELD_SHIFT) & Video::FIELD_MASK, format.green.length)
                        << format.green.offset;
            fromLow |= widen((low >> Video::GREEN_FIELD_SHIFT) & Video::FIELD_MASK, format.green.length)
                       << format.green.offset;
        }
        m_fromHigh[byte] = fromHigh;
        m_fromLow[byte] = fromLow;
    }
    return true;
}

void FrameConverter::convertRow(const uint16_t* source, uint8_t* row) const
{
    const int step = m_upsideDown ? -1 : 1;
    const uint16_t* pixel = m_upsideDown ? source + Video::WIDTH - 1 : source;
    if (m_bytesPerPixel == 2) {
        for (int x = 0; x < Video::WIDTH; ++x, pixel += step) {
            const uint16_t value = m_sameLayout ? *pixel : uint16_t(screenPixel(*pixel));
            for (int copy = 0; copy < m_scale; ++copy, row += 2)
                memcpy(row, &value, 2);
        }
        return;
    }
    for (int x = 0; x < Video::WIDTH; ++x, pixel += step) {
        const uint32_t value = screenPixel(*pixel);
        for (int copy = 0; copy < m_scale; ++copy, row += 4)
            memcpy(row, &value, 4);
    }
}

void FrameConverter::convert(const uint16_t* frame, uint8_t* page) const
{
    const size_t line = size_t(m_format.lineLength);
    const size_t frameRowBytes = size_t(Video::WIDTH) * m_scale * m_bytesPerPixel;
    const bool asItIs = m_sameLayout && !m_upsideDown;
    for (int y = 0; y < Video::HEIGHT; ++y) {
        const uint16_t* source = frame + size_t(m_upsideDown ? Video::HEIGHT - 1 - y : y) * Video::WIDTH;
        uint8_t* first = page + (size_t(m_top) + size_t(y) * m_scale) * line + size_t(m_left) * m_bytesPerPixel;
        if (asItIs && m_scale == 2) {
            FrameDoubler::doubleRow(source, first, first + line);
            continue;
        }
        if (asItIs && m_scale == 1)
            memcpy(first, source, frameRowBytes);
        else
            convertRow(source, first);
        for (int copy = 1; copy < m_scale; ++copy)
            memcpy(first + copy * line, first, frameRowBytes);
    }
}

void FrameConverter::fill(uint8_t* page) const
{
    const uint32_t black = screenPixel(0);
    for (int y = 0; y < m_format.height; ++y) {
        uint8_t* row = page + size_t(y) * m_format.lineLength;
        for (int x = 0; x < m_format.width; ++x, row += m_bytesPerPixel) {
            if (m_bytesPerPixel == 2) {
                const uint16_t value = uint16_t(black);
                memcpy(row, &value, 2);
            } else {
                memcpy(row, &black, 4);
            }
        }
    }
}
