// Tests for Button: statements, navigation, and drawing of rectangles, images, text and lists.
#include "skin/Button.h"

#include <gtest/gtest.h>

#include "skin/FileList.h"
#include "skin/SkinTestSupport.h"

using skintest::ScreenBuffer;
using skintest::TempDir;
using skintest::feed;
using skintest::press;
using skintest::toStrings;
using skintest::words;

namespace {

typedef std::vector<std::string> Words;

} // namespace

TEST(ButtonStatements, TypeNavigationDirectionsAndOptions)
{
    Button button;
    feed(button, "TYPE", {"rect", "1", "2", "3", "4", "FFFFFF"});
    EXPECT_EQ(std::string(button.type().printable()), "rect");
    EXPECT_EQ(toStrings(button.typeArgs()), (Words{"1", "2", "3", "4", "FFFFFF"}));
    button.parseStatement(WString("TYPE"), WString::Array());
    EXPECT_EQ(std::string(button.type().printable()), "rect") << "TYPE without values is ignored";

    feed(button, "DOWN", {"page", "9"});
    feed(button, "NAVIGATION", {"1", "2", "3"});
    EXPECT_EQ(toStrings(button.onLeft()), (Words{"select", "1"}));
    EXPECT_EQ(toStrings(button.onRight()), (Words{"select", "2"}));
    EXPECT_EQ(toStrings(button.onUp()), (Words{"select", "3"}));
    EXPECT_EQ(toStrings(button.onDown()), (Words{"page", "9"}));

    feed(button, "NAVIGATION", {"5", "6", "7", "8", "9", "10"});
    EXPECT_EQ(toStrings(button.onDown()), (Words{"select", "8"}));
    feed(button, "LEFT", {"page", "2"});
    EXPECT_EQ(toStrings(button.onLeft()), (Words{"page", "2"}));
    EXPECT_EQ(toStrings(button.onRight()), (Words{"select", "6"}));
    feed(button, "RIGHT", {"quit"});
    feed(button, "UP", {});
    feed(button, "ACTION", {"exec", "/", "prog"});
    EXPECT_EQ(toStrings(button.onRight()), (Words{"quit"}));
    EXPECT_TRUE(toStrings(button.onUp()).empty());
    EXPECT_EQ(toStrings(button.onAction()), (Words{"exec", "/", "prog"}));

    feed(button, "OPTIONS", {"filter", ".gpe", ".sh"});
    feed(button, "OPTIONS", {"color"});
    WString::Array values;
    ASSERT_TRUE(button.options().get("filter", values));
    EXPECT_EQ(toStrings(values), (Words{".gpe", ".sh"}));
    feed(button, "OPTIONS", {"filter", "*"});
    ASSERT_TRUE(button.options().get("filter", values));
    EXPECT_EQ(toStrings(values), (Words{"*"}));
    ASSERT_TRUE(button.options().get("color", values));
    EXPECT_EQ(values.count(), 0);
    button.parseStatement(WString("OPTIONS"), WString::Array());
    EXPECT_EQ(button.options().count(), 2);
    // Keywords are case-sensitive.
    feed(button, "action", {"quit"});
    EXPECT_EQ(toStrings(button.onAction()), (Words{"exec", "/", "prog"}));
}

TEST(ButtonStatements, TakenValuesEndLikeCopiedOnes)
{
    // The same statements, once from arrays the button must copy and once from arrays it may
    // take over: the same words, in storage of the same size.
    const std::vector<std::pair<const char*, Words>> statements = {
        {"TYPE", {"image", "1", "2", "a.png", "b.png"}},
        {"ACTION", {"exec", "/", "prog", "%p0%"}},
        {"LEFT", {"page", "2"}},
        {"TYPE", {"rect", "1", "2", "3", "4", "FFFFFF", "x", "y"}},
        {"TYPE", {"text"}},
        {"TYPE", {"rect", "1", "2", "3", "4", "FFFFFF"}},
        {"NAVIGATION", {"1", "", "3"}},
        {"OPTIONS", {"startdir", "/tmp/"}},
        {"ACTION", {"quit"}},
    };
    Button copied;
    Button taken;
    for (const auto& statement : statements) {
        const WString key(statement.first);
        const WString::Array values = words(statement.second);
        EXPECT_EQ(copied.parseStatement(key, values), taken.parseStatement(key, words(statement.second)))
            << statement.first;
        const WString::Array* pairs[][2] = {
            {&copied.typeArgs(), &taken.typeArgs()}, {&copied.onAction(), &taken.onAction()},
            {&copied.onLeft(), &taken.onLeft()},     {&copied.onRight(), &taken.onRight()},
            {&copied.onUp(), &taken.onUp()},         {&copied.onDown(), &taken.onDown()},
        };
        for (const auto& pair : pairs) {
            EXPECT_EQ(toStrings(*pair[0]), toStrings(*pair[1])) << statement.first;
            EXPECT_EQ(pair[0]->capacity(), pair[1]->capacity()) << statement.first;
        }
        EXPECT_STREQ(copied.type().printable(), taken.type().printable());
        EXPECT_EQ(toStrings(values), statement.second) << "a copied statement keeps its values";
    }
    WString::Array options;
    ASSERT_TRUE(taken.options().get("startdir", options));
    EXPECT_EQ(toStrings(options), (Words{"/tmp/"}));
}

TEST(ButtonInput, DirectionsCopyTheirWords)
{
    Button button;
    feed(button, "LEFT", {"l"});
    feed(button, "RIGHT", {"r"});
    feed(button, "UP", {"u"});
    feed(button, "ACTION", {"a", "b"});
    struct Case {
        int nav;
        Words action;
        int navAfter;
    } cases[] = {
        {1, {"l"}, 0}, {2, {"r"}, 0}, {3, {"u"}, 0}, {4, {}, 0},
        {5, {"a", "b"}, 0}, {0, {}, 0}, {6, {}, 6}, {7, {}, 7}, {8, {}, 8},
    };
    for (const Case& c : cases) {
        int navAfter = -1;
        EXPECT_EQ(press(button, c.nav, &navAfter), c.action) << c.nav;
        EXPECT_EQ(navAfter, c.navAfter) << c.nav;
    }
}

TEST(ButtonDraw, RectanglesOnlyWhenWhollyOnScreen)
{
    struct Case {
        Words args;
        uint16_t colour;
        int pixels;
    } cases[] = {
        {{"0", "0", "319", "239", "FF0000"}, 0xF800, 320 * 240},
        {{"0", "0", "320", "239", "FF0000"}, 0xF800, 0},
        {{"0", "0", "319", "240", "FF0000"}, 0xF800, 0},
        {{"-1", "0", "5", "5", "FF0000"}, 0xF800, 0},
        {{"0", "-1", "5", "5", "FF0000"}, 0xF800, 0},
        {{"6", "0", "5", "5", "FF0000"}, 0xF800, 0},
        {{"0", "6", "5", "5", "FF0000"}, 0xF800, 0},
        {{"5", "5", "5", "5", "FFFFFF"}, 0xFFDF, 1},
        {{"2", "3", "4", "7", "0000FF"}, 0x001F, 15},
        {{"0", "0", "5", "5"}, 0xD431, 0},
    };
    for (const Case& c : cases) {
        for (bool selected : {false, true}) {
            ScreenBuffer screen;
            screen.fill(0x1234);
            Button button;
            Words type = c.args;
            type.insert(type.begin(), "rect");
            feed(button, "TYPE", type);
            button.draw(selected);
            EXPECT_EQ(screen.countOf(c.colour), c.pixels) << c.args[0] << "," << c.args[2];
            EXPECT_EQ(screen.countOf(0x1234), 320 * 240 - c.pixels);
        }
    }
    ScreenBuffer screen;
    Button dot;
    feed(dot, "TYPE", {"rect", "5", "5", "5", "5", "FFFFFF"});
    dot.draw(false);
    EXPECT_EQ(screen.at(5, 5), 0xFFDF);
}

TEST(ButtonDraw, ImageButtonsChooseTheirPicture)
{
    TempDir dir;
    const std::string red = dir.path() + "a.png", blue = dir.path() + "b.png";
    const std::string missing = dir.path() + "missing.png";
    ASSERT_TRUE(skintest::writeSolidPng(red, 3, 2, 255, 0, 0));
    ASSERT_TRUE(skintest::writeSolidPng(blue, 3, 2, 0, 0, 255));
    struct Case {
        Words type;
        uint16_t selected;
        uint16_t unselected;
    } cases[] = {
        {{"image", "10", "20", red, blue}, 0xF800, 0x001F},
        {{"image", "10", "20", red}, 0xF800, 0xF800},
        {{"image", "10", "20"}, 0x1234, 0x1234},
        {{"image", "10"}, 0x1234, 0x1234},
        {{"image", "10", "20", missing, blue}, 0x1234, 0x001F},
        {{"image", "10", "20", red, missing}, 0xF800, 0xF800},
    };
    for (const Case& c : cases) {
        Button button;
        feed(button, "TYPE", c.type);
        for (bool selected : {true, false}) {
            ScreenBuffer screen;
            screen.fill(0x1234);
            skintest::captureStdout([&] { button.draw(selected); });
            const uint16_t expected = selected ? c.selected : c.unselected;
            EXPECT_EQ(screen.at(10, 20), expected) << c.type.size() << " selected " << selected;
            EXPECT_EQ(screen.at(12, 21), expected);
            EXPECT_EQ(screen.countOf(0x1234), expected == 0x1234 ? 320 * 240 : 320 * 240 - 6);
        }
    }
}

TEST(ButtonDraw, ImageIsBlendedByItsAlpha)
{
    TempDir dir;
    const std::string path = dir.path() + "half.png";
    // One opaque white pixel, one fully transparent one, one white at alpha 128.
    ASSERT_TRUE(skintest::writeRgbaPng(path, 3, 1,
                                       {255, 255, 255, 255, 255, 255, 255, 0, 255, 255, 255, 128}));
    ScreenBuffer screen;
    Button button;
    feed(button, "TYPE", {"image", "0", "0", path});
    button.draw(false);
    EXPECT_EQ(screen.at(0, 0), 0xFFDF);
    EXPECT_EQ(screen.at(1, 0), 0x0000);
    EXPECT_EQ(screen.at(2, 0), 0x7BCF);
}

TEST(ButtonDraw, TextUsesColoursAndBattery)
{
    skintest::loadTestFont();
    const int w = skintest::GLYPH_WIDTH;
    {
        ScreenBuffer screen;
        Button button;
        feed(button, "TYPE", {"text", "10", "20", "FF0000", "0000FF", "ab"});
        button.draw(false);
        EXPECT_EQ(screen.runFrom(10, 20, 0xF800), 2 * w);
        EXPECT_EQ(screen.runFrom(10, 20 + skintest::LINE_HEIGHT - 1, 0xF800), 2 * w);
        EXPECT_EQ(screen.at(10, 20 + skintest::LINE_HEIGHT), 0);
        button.draw(true);
        EXPECT_EQ(screen.runFrom(10, 20, 0x001F), 2 * w);
    }

    // One battery read per draw, whether or not the text shows it.
    const int before = gBattery.read();
    {
        ScreenBuffer screen;
        Button plain;
        feed(plain, "TYPE", {"text", "0", "0", "FFFFFF", "FFFFFF", "x"});
        plain.draw(false);
        Button withLevel;
        feed(withLevel, "TYPE", {"text", "0", "10", "FFFFFF", "FFFFFF", "L%battery%%battery%"});
        withLevel.draw(false);
        const int shown = (before + 2) % 1000;
        const int digits = (int)std::to_string(shown).size();
        EXPECT_EQ(screen.runFrom(0, 10, 0xFFDF), (1 + 2 * digits) * w);
    }
    EXPECT_EQ(gBattery.read(), (before + 3) % 1000);

    // Fewer than five arguments: nothing drawn and no battery read.
    ScreenBuffer screen;
    Button shortText;
    feed(shortText, "TYPE", {"text", "0", "0", "FFFFFF", "FFFFFF"});
    shortText.draw(true);
    EXPECT_EQ(screen.countOf(0), 320 * 240);
    EXPECT_EQ(gBattery.read(), (before + 4) % 1000);
}

TEST(ButtonSelector, ListTakesUpDownUntilItsEnds)
{
    skintest::loadTestFont();
    TempDir dir;
    dir.writeFile("a.gpe");
    dir.writeFile("b.gpe");
    ScreenBuffer screen;
    Button button;
    feed(button, "TYPE", {"selector", "0", "0", "100", "40"});
    feed(button, "OPTIONS", {"startdir", dir.path()});
    feed(button, "OPTIONS", {"type", "file"});
    feed(button, "UP", {"up"});
    feed(button, "DOWN", {"down"});
    feed(button, "LEFT", {"left"});
    feed(button, "ACTION", {"act"});
    EXPECT_EQ(button.list(), nullptr) << "the list is made at the first draw";
    button.draw(true);
    ASSERT_NE(button.list(), nullptr);
    ASSERT_EQ(button.list()->entries().count(), 2);

    int nav = -1;
    EXPECT_EQ(press(button, 3, &nav), (Words{"up"})) << "cursor on the first entry";
    EXPECT_EQ(nav, 0);
    EXPECT_TRUE(press(button, 4, &nav).empty());
    EXPECT_EQ(nav, 0);
    EXPECT_EQ(button.list()->cursor(), 1);
    EXPECT_EQ(press(button, 4), (Words{"down"}));
    EXPECT_EQ(press(button, 1), (Words{"left"}));
    EXPECT_EQ(press(button, 5), (Words{"act"})) << "a file without Trevandel.dat uses ACTION";
    EXPECT_TRUE(press(button, 7, &nav).empty());
    EXPECT_EQ(button.list()->cursor(), 0);

    // A selector with fewer than four arguments has no list and draws nothing.
    Button shortSelector;
    feed(shortSelector, "TYPE", {"selector", "0", "0", "100"});
    shortSelector.draw(true);
    EXPECT_EQ(shortSelector.list(), nullptr);
}
