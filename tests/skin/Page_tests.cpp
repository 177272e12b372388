// Tests for Page: backgrounds, statement routing, input and list variables.
#include "skin/Page.h"

#include <gtest/gtest.h>

#include "skin/Button.h"
#include "skin/FileList.h"
#include "skin/SkinTestSupport.h"

using skintest::ScreenBuffer;
using skintest::TempDir;
using skintest::feed;
using skintest::press;
using skintest::toStrings;
using skintest::words;

TEST(PageBackground, GradientUsesDivisor239)
{
    ScreenBuffer screen;
    Page page;
    feed(page, "BACKGROUND", {"gradient", "000000", "FFFFFF"});
    page.draw();
    EXPECT_EQ(screen.at(0, 0), 0x0000);
    EXPECT_EQ(screen.at(319, 1), 0x0000);
    EXPECT_EQ(screen.runFrom(0, 120, 0x7BCF), 320);
    EXPECT_EQ(screen.runFrom(0, 239, 0xFFDF), 320);
    // Row 2: 31 * 2 * 8 / 239 = 2 per channel, below the kept five bits.
    EXPECT_EQ(screen.at(5, 2), 0x0000);

    Page reversed;
    feed(reversed, "BACKGROUND", {"gradient", "FF0000", "0000FF"});
    reversed.draw();
    EXPECT_EQ(screen.at(0, 0), 0xF800);
    EXPECT_EQ(screen.at(0, 239), 0x001F);
}

TEST(PageBackground, ColourFillAndBadColour)
{
    ScreenBuffer screen;
    Page red;
    feed(red, "BACKGROUND", {"color", "FF0000"});
    red.draw();
    EXPECT_EQ(screen.countOf(0xF800), 320 * 240);

    Page shortColour;
    feed(shortColour, "BACKGROUND", {"color", "FFF"});
    shortColour.draw();
    EXPECT_EQ(screen.countOf(0xD431), 320 * 240);
}

TEST(PageBackground, WrongFormsClearToBlack)
{
    const std::vector<std::vector<std::string>> forms = {
        {"gradient", "000000"},
        {"gradient", "000000", "FFFFFF", "FFFFFF"},
        {"color", "000000", "FFFFFF"},
        {"color"},
        {"plaid", "FFFFFF"},
        {"image"},
    };
    for (const auto& form : forms) {
        ScreenBuffer screen;
        screen.fill(0x1234);
        Page page;
        feed(page, "BACKGROUND", form);
        page.draw();
        EXPECT_EQ(screen.countOf(0), 320 * 240) << form[0] << " with " << form.size() - 1;
    }
    // A page that never got a BACKGROUND is black too.
    ScreenBuffer screen;
    screen.fill(0x1234);
    Page empty;
    empty.draw();
    EXPECT_EQ(screen.countOf(0), 320 * 240);
}

TEST(PageBackground, ImageIsBlittedAndAFailedLoadIsNotRetried)
{
    TempDir dir;
    const std::string path = dir.path() + "bg.png";
    ASSERT_TRUE(skintest::writeSolidPng(path, 4, 2, 255, 0, 0));
    ScreenBuffer screen;
    screen.fill(0x1234);
    Page page;
    feed(page, "BACKGROUND", {"image", path});
    skintest::captureStdout([&] { page.draw(); });
    EXPECT_EQ(screen.at(0, 0), 0xF800);
    EXPECT_EQ(screen.at(3, 1), 0xF800);
    // Outside the picture the buffer keeps what it held.
    EXPECT_EQ(screen.at(4, 0), 0x1234);
    EXPECT_EQ(screen.at(0, 2), 0x1234);

    const std::string missing = dir.path() + "missing.png";
    Page broken;
    feed(broken, "BACKGROUND", {"image", missing});
    const std::string out = skintest::captureStdout([&] {
        broken.draw();
        broken.draw();
    });
    EXPECT_EQ(out, "Could not load image " + missing + "\n");
    EXPECT_EQ(screen.countOf(0), 320 * 240);
}

TEST(PageStatements, RoutesButtonStatementsBySlot)
{
    Page page;
    EXPECT_EQ(page.parseSlot(), -1);
    feed(page, "TYPE", {"rect", "0", "0", "1", "1", "FFFFFF"});
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++)
        ASSERT_EQ(page.button(slot), nullptr) << "statement before BUTTON reached slot " << slot;

    feed(page, "BUTTON", {"3"});
    EXPECT_EQ(page.button(3), nullptr) << "BUTTON alone must not fill the slot";
    feed(page, "ACTION", {"page", "2"});
    ASSERT_NE(page.button(3), nullptr);
    EXPECT_EQ(toStrings(page.button(3)->onAction()), (std::vector<std::string>{"page", "2"}));

    feed(page, "BUTTON", {"64"});
    feed(page, "TYPE", {"rect"});
    feed(page, "BUTTON", {"-1"});
    feed(page, "TYPE", {"rect"});
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++)
        EXPECT_EQ(page.button(slot) != nullptr, slot == 3) << slot;

    // A BUTTON without any value is ignored; "BUTTON=" has one empty value, which reads as 0.
    page.parseStatement(WString("BUTTON"), WString::Array());
    EXPECT_EQ(page.parseSlot(), -1);
    feed(page, "BUTTON", {""});
    EXPECT_EQ(page.parseSlot(), 0);

    // Blocks for the same slot add to the same button.
    feed(page, "BUTTON", {"3"});
    feed(page, "LEFT", {"quit"});
    EXPECT_EQ(toStrings(page.button(3)->onAction()), (std::vector<std::string>{"page", "2"}));
    EXPECT_EQ(toStrings(page.button(3)->onLeft()), (std::vector<std::string>{"quit"}));
}

TEST(PageStatements, PageKeywords)
{
    Page page;
    feed(page, "BACKGROUND", {"gradient", "000000", "FFFFFF"});
    EXPECT_EQ(std::string(page.backgroundType().printable()), "gradient");
    EXPECT_EQ(toStrings(page.backgroundArgs()), (std::vector<std::string>{"000000", "FFFFFF"}));
    page.parseStatement(WString("BACKGROUND"), WString::Array());
    EXPECT_EQ(std::string(page.backgroundType().printable()), "gradient");
    feed(page, "BACKGROUND", {"color", "FF0000"});
    EXPECT_EQ(toStrings(page.backgroundArgs()), (std::vector<std::string>{"FF0000"}));
    feed(page, "RETURN", {"page", "0"});
    EXPECT_EQ(toStrings(page.returnAction()), (std::vector<std::string>{"page", "0"}));
    // Keywords are case-sensitive: a lower-case one goes nowhere before a BUTTON.
    feed(page, "return", {"quit"});
    EXPECT_EQ(toStrings(page.returnAction()), (std::vector<std::string>{"page", "0"}));
}

TEST(PageInput, BackSelectAndEmptySlots)
{
    Page page;
    int nav = -1;
    EXPECT_TRUE(press(page, 6, &nav).empty()) << "back without RETURN";
    EXPECT_EQ(nav, 0);
    // Slot 0 empty: nothing answers the action key.
    EXPECT_TRUE(press(page, 5, &nav).empty());
    EXPECT_EQ(nav, 5);

    feed(page, "RETURN", {"page", "1"});
    feed(page, "BUTTON", {"0"});
    feed(page, "NAVIGATION", {"5", "2", "64", "-1"});
    feed(page, "ACTION", {"select", "2", "extra"});
    feed(page, "BUTTON", {"2"});
    feed(page, "ACTION", {"exec", "/", "prog"});
    feed(page, "LEFT", {"select", "0"});

    EXPECT_EQ(press(page, 6, &nav), (std::vector<std::string>{"page", "1"}));
    EXPECT_EQ(nav, 0);
    EXPECT_EQ(press(page, 1), (std::vector<std::string>{"select", "5"}));
    EXPECT_EQ(page.selected(), 0) << "slot 5 is empty";
    press(page, 3);
    press(page, 4);
    EXPECT_EQ(page.selected(), 0) << "slots 64 and -1 are out of range";
    press(page, 5);
    EXPECT_EQ(page.selected(), 0) << "a select with three words is ignored";
    EXPECT_EQ(press(page, 2), (std::vector<std::string>{"select", "2"}));
    EXPECT_EQ(page.selected(), 2);
    EXPECT_EQ(press(page, 5), (std::vector<std::string>{"exec", "/", "prog"}));
    press(page, 1);
    EXPECT_EQ(page.selected(), 0);
}

TEST(PageInput, SelectableSlotsAreThoseSelectActionsReachFromSlotZero)
{
    Page page;
    EXPECT_EQ(page.selectableSlots(), 0u);
    // Slot 0 empty: nothing is selected, but back still runs RETURN, which may select.
    feed(page, "RETURN", {"select", "3"});
    feed(page, "BUTTON", {"3"});
    feed(page, "TYPE", {"rect", "0", "0", "1", "1", "FFFFFF"});
    EXPECT_EQ(page.selectableSlots(), uint64_t(1) << 3);

    feed(page, "BUTTON", {"0"});
    feed(page, "NAVIGATION", {"0", "2", "9", "63"});
    feed(page, "BUTTON", {"2"});
    feed(page, "DOWN", {"select", "4"});
    feed(page, "BUTTON", {"4"});
    feed(page, "ACTION", {"select", "5", "extra"});
    // A decoration that nothing selects, and the slot only it would lead to.
    feed(page, "BUTTON", {"6"});
    feed(page, "LEFT", {"select", "7"});
    feed(page, "BUTTON", {"7"});
    feed(page, "TYPE", {"rect", "0", "0", "1", "1", "FFFFFF"});
    feed(page, "BUTTON", {"63"});
    feed(page, "UP", {"select", "0"});
    // Slot 9 is empty, and slot 5 is named only by a select with three words.
    feed(page, "BUTTON", {"5"});
    feed(page, "TYPE", {"rect", "0", "0", "1", "1", "FFFFFF"});
    const uint64_t expected = 1 | 1 << 2 | 1 << 3 | 1 << 4 | uint64_t(1) << 63;
    EXPECT_EQ(page.selectableSlots(), expected);
}

TEST(PageDraw, ButtonsInSlotOrderWithSelection)
{
    TempDir dir;
    const std::string red = dir.path() + "red.png", blue = dir.path() + "blue.png";
    ASSERT_TRUE(skintest::writeSolidPng(red, 2, 2, 255, 0, 0));
    ASSERT_TRUE(skintest::writeSolidPng(blue, 2, 2, 0, 0, 255));
    ScreenBuffer screen;
    Page page;
    feed(page, "BUTTON", {"1"});
    feed(page, "TYPE", {"rect", "0", "0", "9", "9", "00FF00"});
    feed(page, "BUTTON", {"0"});
    feed(page, "TYPE", {"rect", "0", "0", "19", "19", "FFFFFF"});
    feed(page, "BUTTON", {"2"});
    feed(page, "TYPE", {"image", "30", "0", red, blue});
    feed(page, "BUTTON", {"3"});
    feed(page, "TYPE", {"image", "40", "0", red, blue});
    skintest::captureStdout([&] { page.draw(); });
    EXPECT_EQ(screen.at(5, 5), 0x07C0) << "slot 1 paints over slot 0";
    EXPECT_EQ(screen.at(15, 15), 0xFFDF);
    EXPECT_EQ(screen.at(30, 0), 0x001F);
    EXPECT_EQ(screen.at(40, 0), 0x001F);

    feed(page, "BUTTON", {"0"});
    feed(page, "ACTION", {"select", "3"});
    press(page, 5);
    page.draw();
    EXPECT_EQ(screen.at(30, 0), 0x001F);
    EXPECT_EQ(screen.at(40, 0), 0xF800) << "the selected image button shows its first picture";
}

TEST(PageListVariables, ExpandsWordsAfterTheFirst)
{
    TempDir dir;
    dir.writeFile("a.gpe");
    ScreenBuffer screen;
    Page page;
    feed(page, "BUTTON", {"3"});
    feed(page, "TYPE", {"selector", "0", "0", "100", "40"});
    feed(page, "OPTIONS", {"startdir", dir.path()});
    feed(page, "OPTIONS", {"type", "file"});
    page.draw();
    ASSERT_NE(page.button(3)->list(), nullptr);

    struct Case {
        std::vector<std::string> before;
        std::vector<std::string> after;
    } cases[] = {
        {{"exec", "/", "prog", "%3%"}, {"exec", "/", "prog", "a.gpe"}},
        {{"exec", "%3%"}, {"exec", "%3%"}},
        {{"%3%", "%p3%", "%P3%"}, {"%3%", dir.path(), dir.path() + "a.gpe"}},
        {{"exec", "%4%", "%P3%x", "%NONE%"}, {"exec", "%4%", dir.path() + "a.gpex", "%NONE%"}},
    };
    for (const Case& c : cases) {
        WString::Array action = words(c.before);
        page.exportListVariables(action);
        EXPECT_EQ(toStrings(action), c.after) << c.before[0];
    }
    // An absent word (an empty value in the skin) stays absent, so the launch keeps its gap.
    WString::Array gap = words({"exec", "/d", "prog", "", "x"});
    gap.at(3) = WString();
    page.exportListVariables(gap);
    EXPECT_TRUE(gap.at(3).isAbsent());

    // handleInput runs it for "exec" and "config" only.
    feed(page, "BUTTON", {"0"});
    feed(page, "ACTION", {"config", "ROM", "%3%"});
    EXPECT_EQ(press(page, 5), (std::vector<std::string>{"config", "ROM", "a.gpe"}));
    feed(page, "ACTION", {"page", "1", "%3%"});
    EXPECT_EQ(press(page, 5), (std::vector<std::string>{"page", "1", "%3%"}));
}

TEST(PageListVariables, EachListKnowsOnlyItsOwnNames)
{
    TempDir dir;
    dir.makeDir("one");
    dir.makeDir("two");
    dir.writeFile("one/a%b.gpe");
    dir.writeFile("two/b.gpe");
    dir.makeDir("empty");
    ScreenBuffer screen;
    Page page;
    const char* slots[] = {"3", "7", "9"};
    const char* dirs[] = {"one/", "two/", "empty/"};
    for (int i = 0; i < 3; i++) {
        feed(page, "BUTTON", {slots[i]});
        feed(page, "TYPE", {"selector", "0", "0", "10", "10"});
        feed(page, "OPTIONS", {"startdir", dir.path() + dirs[i]});
        feed(page, "OPTIONS", {"type", "file"});
    }
    page.draw();
    // A name that one list puts in is never read again by the next list's pass, while the
    // skin's own "%%" is halved by each pass as always.
    WString::Array action = words({"exec", "%P3%", "%P7%", "[%9%]", "%p9%", "100%%%%"});
    page.exportListVariables(action);
    EXPECT_EQ(toStrings(action), (std::vector<std::string>{"exec", dir.path() + "one/a%b.gpe",
                                                           dir.path() + "two/b.gpe", "[]",
                                                           dir.path() + "empty/", "100"}));
}

TEST(PageListVariables, TrevandelDatExampleEndToEnd)
{
    // A "%" in the folder's name reaches the action as it is on disk.
    for (const std::string folder : {"emu", "100%"}) {
        SCOPED_TRACE(folder);
        TempDir dir;
        dir.makeDir("games");
        dir.makeDir("games/" + folder);
        dir.makeDir("games/" + folder + "/roms");
        dir.writeFile("games/" + folder + "/roms/x.rom");
        dir.writeFile("games/" + folder + "/Trevandel.dat",
                      "DIRECTORY=%cwd%roms/\nFILTER=.rom\nACTION=exec,%cwd%,%cwd%emu.gpe,%P3%\n");
        const std::string games = dir.path() + "games/";
        ScreenBuffer screen;
        Page page;
        feed(page, "BUTTON", {"0"});
        feed(page, "ACTION", {"select", "3"});
        feed(page, "BUTTON", {"3"});
        feed(page, "TYPE", {"selector", "0", "0", "100", "40"});
        feed(page, "OPTIONS", {"startdir", games});
        page.draw();
        press(page, 5);
        ASSERT_EQ(page.selected(), 3);
        const FileList* list = page.button(3)->list();
        ASSERT_EQ(toStrings(list->entries()), (std::vector<std::string>{"../", folder + "/"}));

        press(page, 4);
        std::string out = skintest::captureStdout([&] { press(page, 5); });
        EXPECT_EQ(out, "Changed to " + games + folder + "/\n");
        EXPECT_EQ(toStrings(list->entries()), (std::vector<std::string>{"../", "x.rom"}));
        press(page, 4);
        const std::string emu = games + folder + "/";
        EXPECT_EQ(press(page, 5), (std::vector<std::string>{"exec", emu, emu + "emu.gpe",
                                                           emu + "roms/x.rom"}));
    }
}
