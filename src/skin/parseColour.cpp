// Reads a skin colour into the screen's pixel format.
#include "skin/parseColour.h"

#include <cstdlib>

#include "platform/Video.h"

namespace {

// Colour given to any text that is not exactly six characters long.
const uint16_t BAD_COLOUR = 0xD431;
const int COLOUR_TEXT_LENGTH = 6;

long hexField(const char* text)
{
    char field[3] = {text[0], text[1], '\0'};
    return strtol(field, nullptr, 16);
}

} // namespace

uint16_t parseColour(const WString& text)
{
    if (text.isAbsent() || text.length() != COLOUR_TEXT_LENGTH)
        return BAD_COLOUR;
    const char* t = text.text();
    return Video::pixelFromRgb(hexField(t), hexField(t + 2), hexField(t + 4));
}
