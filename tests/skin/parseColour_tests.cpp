// Tests for the colour notation of skins.
#include "skin/parseColour.h"

#include <gtest/gtest.h>

TEST(ParseColour, ConvertsSixHexDigitsAndFallsBackOtherwise)
{
    struct Case {
        const char* text;
        uint16_t expected;
    } cases[] = {
        {"FFFFFF", 0xFFDF}, {"808080", 0x8410}, {"000000", 0x0000}, {"FF0000", 0xF800},
        {"00FF00", 0x07C0}, {"0000FF", 0x001F}, {"ffffff", 0xFFDF}, {"070707", 0x0000},
        {"zz0808", 0x0041}, {"FFF", 0xD431},   {"FFFFFFF", 0xD431}, {"", 0xD431},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseColour(WString(c.text)), c.expected) << c.text;
    EXPECT_EQ(parseColour(WString()), 0xD431);
}
