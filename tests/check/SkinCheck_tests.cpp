// The skin checker against a skin with one planted mistake per kind, the default skins and edge cases.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "check/SkinChecker.h"
#include "check/SkinDiagnostics.h"
#include "launcher/Globals.h"
#include "launcher/ProcessState.h"
#include "support/PngWriter.h"
#include "support/ShippedApp.h"

namespace {

namespace fs = std::filesystem;

const char* const FONT_FILE = "ARIALN.TTF_0_12_255_255_255.png";

// A throw-away application directory, removed again by the destructor.
class StagedApp {
public:
    StagedApp()
    {
        char pattern[] = "/tmp/trevandel-check-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made ? made : "";
    }
    ~StagedApp()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    StagedApp(const StagedApp&) = delete;
    StagedApp& operator=(const StagedApp&) = delete;

    const std::string& path() const { return m_path; }
    void copyTree(const std::string& from) const
    {
        fs::copy(from, m_path, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
    void copyShippedApp() const { testsupport::copyShippedApp(TREVANDEL_DATA_DIR, TEST_FILES_DIR, m_path); }
    void copyFont() const
    {
        fs::copy_file(std::string(TREVANDEL_DATA_DIR) + "/" + FONT_FILE, m_path + "/" + FONT_FILE,
                      fs::copy_options::overwrite_existing);
    }
    void write(const std::string& name, const std::string& text) const
    {
        fs::create_directories(fs::path(m_path + "/" + name).parent_path());
        std::ofstream(m_path + "/" + name, std::ios::binary) << text;
    }

private:
    std::string m_path;
};

std::vector<std::string> check(const std::string& app)
{
    SkinChecker checker(app);
    std::vector<std::string> lines;
    for (const SkinChecker::Problem& problem : checker.run())
        lines.push_back(SkinChecker::formatProblem(problem));
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

const char* const SKIN = "skins/bad/Trevandel.skin:";
const char* const DAT = "tree/sub/Trevandel.dat:";

// One line for each mistake planted in tests/files/badskin, in report order.
const std::vector<std::string> BAD_SKIN_REPORT = {
    "Trevandel.cfg:3: KEYBOARD_RATE takes 1 or 2 values (delay in ms, repeats per second), not 3: "
    "the ones after the second are ignored",
    "Trevandel.cfg:4: SPEED_MENU takes 1 value (MHz) or 3 (MHz, PLL, prescaler), not 2: the clock "
    "is never set",
    "Trevandel.cfg:5: SPEED_LOADING clock \"400\" is outside 33..320 MHz: the clock is never set",
    "Trevandel.cfg:7: LAUNCH takes run or print, not \"always\": each launcher keeps its own way "
    "(print on the desktop, run on a handheld)",
    "Trevandel.cfg:8: CONTROL_MENU names no control: the controls are UP DOWN LEFT RIGHT A B X Y L "
    "R START SELECT VOLUP VOLDOWN PUSH (the handheld launcher)",
    "Trevandel.cfg:9: \"KEY_NOPE\" is no key: give a name such as KEY_SPACE or BTN_SOUTH, or a "
    "number from 0 to 767 (the handheld launcher)",
    "Trevandel.cfg:10: SCREEN_ROTATION takes 0 or 180, not \"90\" (the handheld launcher)",
    std::string(SKIN) + "2: BACKGROUND is dropped: it comes before the first PAGE",
    std::string(SKIN) + "4: VARIABLE with 1 value defines nothing (it takes a name and at least "
                        "one value) and is dropped: it comes before the first PAGE",
    std::string(SKIN) + "6: STARTPAGE=300 is outside 0..127 and is ignored",
    std::string(SKIN) + "9: TYPE is dropped: it comes before the first BUTTON of page 0",
    std::string(SKIN) + "10: BACKGROUND gradient takes 2 values, not 1: the page is black",
    std::string(SKIN) + "11: page 200 is outside 0..127: the action does nothing",
    std::string(SKIN) + "13: image skins/bad/missing.png does not exist",
    std::string(SKIN) + "14: select 40 names an empty slot of page 0: the selection stays",
    std::string(SKIN) + "17: image skins/bad/good.png (8x8) at (315,10) reaches off the 320x240 "
                        "screen and is cut",
    std::string(SKIN) + "18: unknown keyword \"COLOUR\" in a button (page 0, slot 1)",
    std::string(SKIN) + "20: page 77 is empty: the skin never fills it",
    std::string(SKIN) + "22: image skins/bad/notpng.png is not a PNG file",
    std::string(SKIN) + "24: image skins/bad/huge.png is too large (5000x5000 pixels; at most "
                        "307200)",
    std::string(SKIN) + "26: image skins/bad/broken.png libpng error: IHDR: CRC error",
    std::string(SKIN) + "28: colour \"FFF\" is not six hex digits RRGGBB",
    std::string(SKIN) + "30: text \"Far too long\" (58x14 pixels) at (300,120) reaches off the "
                        "320x240 screen and is cut",
    std::string(SKIN) + "32: rect 0,0,320,10 reaches off the screen (0..319, 0..239): it is not "
                        "drawn at all",
    std::string(SKIN) + "34: TYPE rect takes left, top, right, bottom and a colour, 5 values, not "
                        "4: it draws nothing",
    std::string(SKIN) + "36: TYPE text takes x, y, two colours and the text, 5 values, not 6: put "
                        "a text holding commas in double quotes",
    std::string(SKIN) + "38: TYPE selector takes left, top, right and bottom, 4 values, not 3: no "
                        "list is shown",
    std::string(SKIN) + "40: TYPE image takes x, y and up to two images, not 1 value: it draws "
                        "nothing",
    std::string(SKIN) + "42: unknown button type \"button\" (image, text, rect or selector): it "
                        "draws nothing",
    std::string(SKIN) + "44: %inc% is not a known variable: it stays as written",
    std::string(SKIN) + "46: unmatched % in value 6 \"50% off\": the text from the last % on is "
                        "dropped (write %% for a percent sign)",
    std::string(SKIN) + "49: PAGE with 2 values is not a page number (it takes exactly 1) and "
                        "goes to the page as an ordinary statement",
    std::string(SKIN) + "50: BUTTON=64 is outside 0..63: the statements after it are dropped "
                        "until the next BUTTON",
    std::string(SKIN) + "51: TYPE is dropped: it follows BUTTON=64 at line 50, which is outside "
                        "0..63",
    std::string(SKIN) + "52: slot 16 has an action but can never be selected: the selection "
                        "starts at slot 0 and no NAVIGATION or select that the stick can reach "
                        "from there leads to 16; add 16 to a neighbour's NAVIGATION",
    std::string(SKIN) + "54: exec needs a directory and a program, it has 1 word: nothing is "
                        "started",
    std::string(SKIN) + "55: slot 17 has an action but can never be selected: the selection "
                        "starts at slot 0 and no NAVIGATION or select that the stick can reach "
                        "from there leads to 17; add 17 to a neighbour's NAVIGATION",
    std::string(SKIN) + "56: config needs a key and its values: the launcher ignores the action "
                        "(nothing is saved and it does not restart)",
    std::string(SKIN) + "57: slot 18 has an action but can never be selected: the selection "
                        "starts at slot 0 and no NAVIGATION or select that the stick can reach "
                        "from there leads to 18; add 18 to a neighbour's NAVIGATION",
    std::string(SKIN) + "58: config key \" //SKIN\" cannot be saved (empty, holding = or a line "
                        "break, or blank or a // comment once its leading blanks are trimmed): "
                        "the launcher restarts without the change",
    std::string(SKIN) + "59: slot 19 has an action but can never be selected: the selection "
                        "starts at slot 0 and no NAVIGATION or select that the stick can reach "
                        "from there leads to 19; add 19 to a neighbour's NAVIGATION",
    std::string(SKIN) + "60: unknown action \"jump\" (page, select, exec, config or quit): it "
                        "does nothing",
    std::string(SKIN) + "61: slot 20 has an action but can never be selected: the selection "
                        "starts at slot 0 and no NAVIGATION or select that the stick can reach "
                        "from there leads to 20; add 20 to a neighbour's NAVIGATION",
    std::string(SKIN) + "62: %P3% names no list: list variables are numbered by the list's slot, "
                        "and this page's lists are in slots 22, 23, 24, 26, 29, 34",
    std::string(SKIN) + "64: NAVIGATION takes at most 4 slots (left, right, up, down), not 5: the "
                        "ones after the fourth are ignored",
    std::string(SKIN) + "65: STARTPAGE with 2 values is not a page number (it takes exactly 1) and "
                        "goes to the page as an ordinary statement",
    std::string(SKIN) + "66: slot 22 has a list but can never be selected: the selection starts "
                        "at slot 0 and no NAVIGATION or select that the stick can reach from "
                        "there leads to 22; add 22 to a neighbour's NAVIGATION",
    std::string(SKIN) + "68: startdir nowhere/ does not exist: the list is empty",
    std::string(SKIN) + "69: slot 23 has a list but can never be selected: the selection starts "
                        "at slot 0 and no NAVIGATION or select that the stick can reach from "
                        "there leads to 23; add 23 to a neighbour's NAVIGATION",
    std::string(SKIN) + "71: startdir tree does not end in /: names are appended to it",
    std::string(SKIN) + "72: slot 24 has a list but can never be selected: the selection starts "
                        "at slot 0 and no NAVIGATION or select that the stick can reach from "
                        "there leads to 24; add 24 to a neighbour's NAVIGATION",
    std::string(SKIN) + "74: OPTIONS type takes one word, dir or file, not \"files\": the list "
                        "shows everything",
    std::string(SKIN) + "75: unknown option \"colour\" (color, startdir, type or filter)",
    std::string(SKIN) + "76: OPTIONS color takes 1 to 3 colours, not 4",
    std::string(SKIN) + "77: startdir \"games/\" is relative: the launcher resolves it below "
                        "/usr/gp2x/; start it with %basedir% or /",
    std::string(SKIN) + "80: OPTIONS filter has no effect on a button of type \"text\"; only a "
                        "selector reads options",
    std::string(SKIN) + "81: slot 26 has a list but can never be selected: the selection starts "
                        "at slot 0 and no NAVIGATION or select that the stick can reach from "
                        "there leads to 26; add 26 to a neighbour's NAVIGATION",
    std::string(SKIN) + "87: colour \"12345G\" is not six hex digits RRGGBB",
    std::string(SKIN) + "91: select takes one slot number, not 2 words: the action does nothing",
    std::string(SKIN) + "92: page takes one page number, not 2 words: the action does nothing",
    std::string(SKIN) + "93: slot 1 has an action but can never be selected: the selection starts "
                        "at slot 0 and no NAVIGATION or select that the stick can reach from "
                        "there leads to 1; add 1 to a neighbour's NAVIGATION",
    std::string(SKIN) + "97: page 2 cannot be left: it has no RETURN and no button the stick can "
                        "reach on it leads to another page, so only Start+Select (which quits) "
                        "gets out; add RETURN=page,0 (the start page) for the back control",
    std::string(SKIN) + "97: page 2 is never reached from the start page 0",
    std::string(SKIN) + "98: image \"main.png\" is relative: the launcher looks for it below "
                        "/usr/gp2x/; start it with %skindir%",
    std::string(SKIN) + "101: unknown background type \"plasma\" (color, gradient or image): the "
                        "page is black",
    std::string(SKIN) + "105: BACKGROUND image takes 1 value, not 2: the extra ones are ignored",
    std::string(SKIN) + "107: PAGE=200 is outside 0..127: the statements after it are dropped "
                        "until the next PAGE",
    std::string(SKIN) + "108: BACKGROUND is dropped: it follows PAGE=200 at line 107, which is "
                        "outside 0..127",
    std::string(SKIN) + "112: slot 27 has an action but can never be selected: the selection "
                        "starts at slot 0 and no NAVIGATION or select that the stick can reach "
                        "from there leads to 27; add 27 to a neighbour's NAVIGATION",
    std::string(SKIN) + "113: text \"Caf\xC3\xA9\" has 2 bytes the font cannot draw (it has "
                        "printable ASCII only): they are left out",
    std::string(SKIN) + "115: NAVIGATION value 1 (left) is empty and reads as slot 0: give a "
                        "slot, or set the other directions alone with RIGHT=select,N",
    std::string(SKIN) + "116: slot 29 has a list but can never be selected: the selection starts "
                        "at slot 0 and no NAVIGATION or select that the stick can reach from "
                        "there leads to 29; add 29 to a neighbour's NAVIGATION",
    std::string(SKIN) + "118: OPTIONS filter value \" .ogg\" starts with a blank, which is part "
                        "of it: drop the blank after the comma",
    std::string(SKIN) + "119: BUTTON=27 is opened again (first at line 112): its statements go "
                        "on with that button and replace its earlier ones; use a free slot",
    std::string(SKIN) + "122: TYPE image has x and y but no picture: it draws nothing; add the "
                        "PNG after them",
    std::string(SKIN) + "123: slot 31 has an action but can never be selected: the selection "
                        "starts at slot 0 and no NAVIGATION or select that the stick can reach "
                        "from there leads to 31; add 31 to a neighbour's NAVIGATION",
    std::string(SKIN) + "124: exec has an empty program word: nothing is started; name the "
                        "program after the folder",
    std::string(SKIN) + "125: slot 32 has an action but can never be selected: the selection "
                        "starts at slot 0 and no NAVIGATION or select that the stick can reach "
                        "from there leads to 32; add 32 to a neighbour's NAVIGATION",
    std::string(SKIN) + "126: config key \"skin\" is not upper case: it is saved as a new line "
                        "that is read as SKIN and outvotes that key for good; write SKIN",
    std::string(SKIN) + "127: slot 33 has an action but can never be selected: the selection "
                        "starts at slot 0 and no NAVIGATION or select that the stick can reach "
                        "from there leads to 33; add 33 to a neighbour's NAVIGATION",
    std::string(SKIN) + "128: config SKIN,nothere names no skin: there is no file "
                        "skins/nothere/Trevandel.skin, so the launcher restarts to a black screen",
    std::string(SKIN) + "129: slot 34 has a list but can never be selected: the selection starts "
                        "at slot 0 and no NAVIGATION or select that the stick can reach from "
                        "there leads to 34; add 34 to a neighbour's NAVIGATION",
    std::string(SKIN) + "133: config SKIN,%34% can name notaskin, listed in skins/ but holding no "
                        "Trevandel.skin: choosing it restarts to a black screen",
    std::string(SKIN) + "134: slot 35 has an action but can never be selected: the selection "
                        "starts at slot 0 and no NAVIGATION or select that the stick can reach "
                        "from there leads to 35; add 35 to a neighbour's NAVIGATION",
    std::string(SKIN) + "138: background image skins/bad/good.png is 8x8, smaller than the "
                        "320x240 screen: the rest keeps what was drawn before; make it 320x240",
    std::string(SKIN) + "140: slot 0, where the page's selection starts, has no action and no "
                        "navigation: the stick is stuck there; give it NAVIGATION or move the "
                        "decoration to a higher slot",
    std::string(SKIN) + "143: this text is wholly covered by the image of slot 2 (line 146), "
                        "drawn after it: it never shows; put it in a slot above 2",
    std::string(SKIN) + "148: selector area reaches row 245, past the screen's bottom row 239: "
                        "its 10 lines and cursor line are counted from it; end it by 239",
    std::string(SKIN) + "158: the selected picture skins/bad/good.png is 8x8 but the normal one "
                        "skins/bad/cover.png is 64x32: the button changes size as the selection "
                        "comes and goes; make both the same size (pad the smaller with "
                        "transparent pixels)",
    std::string(SKIN) + "163: RIGHT=select,1 selects the button's own slot, so right does nothing "
                        "(a dead key), though slot 0 lies to its right; select 0, or the slot you "
                        "meant",
    std::string(SKIN) + "166: NAVIGATION value 1 (left) is the button's own slot 2, so left does "
                        "nothing (a dead key), though slot 0 lies to its left; give 0, or the "
                        "slot you meant",
    std::string(SKIN) + "167: slot 3 has an action but can never be selected: the selection "
                        "starts at slot 0 and no NAVIGATION or select that the stick can reach "
                        "from there leads to 3; add 3 to a neighbour's NAVIGATION",
    std::string(SKIN) + "173: config SKIN,%4% picks from the list in slot 4, which lacks "
                        "OPTIONS=type,dir: B on ../ walks out of skins/, B on a folder opens it, "
                        "and B on a file saves SKIN=<file name>, which is no skin; write "
                        "OPTIONS=type,dir in slot 4",
    std::string(SKIN) + "178: OPTIONS filter lists no file of tree/sub/roms/: endings are "
                        "compared case-sensitively, and alpha.rom ends in .rom, not .ROM; write "
                        ".rom, or add it beside .ROM",
    std::string(SKIN) + "183: text \"Same spot\" is drawn at (10,100), the same spot as the text "
                        "of slot 6 (line 181): the two are drawn over each other; move one",
    std::string(SKIN) + "187: text \"Runs over the panel\" (97 pixels wide) at (100,130) runs "
                        "over the edge of the rect of slot 8 (line 185): move or shorten it to "
                        "keep it clear of that area, or wholly inside it",
    std::string(SKIN) + "189: page 7 cannot be left: it has no RETURN and no button the stick can "
                        "reach on it leads to another page, so only Start+Select (which quits) "
                        "gets out; add RETURN=page,6 (a page that leads here) for the back control",
    std::string(SKIN) + "195: selector area from row 36 to 250 holds 15 lines of 14 pixels, the "
                        "last ending at row 245, below the screen's bottom row 239: the lowest "
                        "line is cut off; end the area by row 239 (it then holds 14 lines)",
    std::string(SKIN) + "198: page 8 has no button in slot 0, where its selection starts, so "
                        "nothing is ever selected and none of its buttons can be used; put the "
                        "first button in slot 0",
    std::string(SKIN) + "207: config SKIN,%2% picks from the list in slot 2, which lacks "
                        "OPTIONS=type,dir: B on a file saves SKIN=<file name>, which is no skin; "
                        "write OPTIONS=type,dir in slot 2",
    std::string(SKIN) + "209: selector area starts at (-5,100), outside the 320x240 screen (x "
                        "0..319, y 0..239): its lines are cut; move its left and top edges onto "
                        "the screen",
    "tree/other/Trevandel.dat:1: the file starts with a UTF-8 byte-order mark: the launcher takes "
    "it for part of the first key, which it then does not know; save the file without it",
    "tree/other/Trevandel.dat:2: %P0% names no list: list variables are numbered by the list's "
    "slot, and this list is in slot 26: write %P26%",
    std::string(DAT) + "2: FILTER ending \" .zip\" starts with a blank, which is part of it: no "
                       "file ends so; drop the blank after the comma",
    std::string(DAT) + "3: DIRECTORY takes one path, not 2 values: the ones after the first are "
                       "ignored",
    std::string(DAT) + "4: SPEED clock \"500\" is outside 33..320 MHz: the clock is not changed",
    std::string(DAT) + "5: %basedir% is not expanded in Trevandel.dat (only %cwd% and the list "
                       "variables are): it stays as written",
    std::string(DAT) + "6: unknown keyword \"SORT\" in Trevandel.dat",
};

class SkinCheckTest : public testing::Test {
protected:
    void SetUp() override { ProcessState::reset(); }
    void TearDown() override { ProcessState::reset(); }
};

TEST_F(SkinCheckTest, ReportsEachPlantedMistakeOnceWithItsLine)
{
    StagedApp app;
    app.copyTree(std::string(TEST_FILES_DIR) + "/badskin");
    app.copyFont();
    const std::vector<std::string> lines = check(app.path());
    EXPECT_EQ(joinLines(BAD_SKIN_REPORT), joinLines(lines));
}

TEST_F(SkinCheckTest, BadSkinSummaryCountsFilesAndProblems)
{
    StagedApp app;
    app.copyTree(std::string(TEST_FILES_DIR) + "/badskin");
    app.copyFont();
    SkinChecker checker(app.path());
    const std::vector<SkinChecker::Problem> problems = checker.run();
    EXPECT_EQ(std::to_string(BAD_SKIN_REPORT.size()) + " problems in 4 files",
              SkinChecker::summary(problems));
}

TEST_F(SkinCheckTest, LeavesNoObserverAndNoConfigurationBehind)
{
    StagedApp app;
    app.copyTree(std::string(TEST_FILES_DIR) + "/badskin");
    app.copyFont();
    check(app.path());
    EXPECT_EQ(nullptr, SkinDiagnostics::observer());
    EXPECT_EQ(0, gConfig.count());
}

class DefaultSkinTest : public SkinCheckTest, public testing::WithParamInterface<const char*> {};

TEST_P(DefaultSkinTest, ChecksClean)
{
    StagedApp app;
    app.copyShippedApp();
    // The shipped configuration with only the skin changed: the skins show its values.
    std::ifstream shipped(std::string(TREVANDEL_DATA_DIR) + "/Trevandel.cfg");
    std::string config, line;
    while (std::getline(shipped, line))
        config += (line.rfind("SKIN=", 0) == 0 ? std::string("SKIN=") + GetParam() : line) + "\n";
    ASSERT_NE(config.find(std::string("\nSKIN=") + GetParam() + "\n"), std::string::npos);
    app.write("Trevandel.cfg", config);
    ASSERT_TRUE(fs::exists(app.path() + "/skins/" + GetParam() + "/Trevandel.skin"));
    EXPECT_EQ("", joinLines(check(app.path())));
}

INSTANTIATE_TEST_SUITE_P(BothSkins, DefaultSkinTest, testing::Values("concept", "paper"));

TEST_F(SkinCheckTest, ShippedConfigurationChecksClean)
{
    StagedApp app;
    app.copyShippedApp();
    EXPECT_EQ("", joinLines(check(app.path())));
}

TEST_F(SkinCheckTest, SkinNamingNoSkinFolderIsReportedAtItsLine)
{
    StagedApp app;
    app.copyFont();
    app.write("Trevandel.cfg", "// comment\nSKIN=nothere\n");
    EXPECT_EQ("Trevandel.cfg:2: SKIN names no skin: there is no file skins/nothere/Trevandel.skin\n",
              joinLines(check(app.path())));
}

TEST_F(SkinCheckTest, AReferencePastTheExpansionLimitsIsReportedAtItsLine)
{
    StagedApp app;
    app.copyFont();
    app.write("Trevandel.cfg", "SKIN=grow\n");
    // Line 23 doubles the value to 4 MiB; the line after it would pass both limits.
    std::string skin = "VARIABLE=A,x\n";
    for (int i = 0; i < 23; i++)
        skin += "VARIABLE=A,%A%%A%\n";
    skin += "PAGE=0\nBACKGROUND=color,000000\n";
    app.write("skins/grow/Trevandel.skin", skin);
    EXPECT_EQ("skins/grow/Trevandel.skin:24: a reference is left as written: expanding it would "
              "make a value longer than 4194304 bytes, or the skin's references add more than "
              "8388608 bytes in all\n",
              joinLines(check(app.path())));
}

TEST_F(SkinCheckTest, ALineTooLongToReadIsReportedAtItsLine)
{
    StagedApp app;
    app.copyFont();
    app.write("Trevandel.cfg", "SKIN=long\n");
    app.write("skins/long/Trevandel.skin", "PAGE=0\nBACKGROUND=color,000000\n// " +
                                               std::string(4 * 1024 * 1024, '-') + "\n");
    EXPECT_EQ("skins/long/Trevandel.skin:3: the line is longer than 4194304 bytes: the launcher "
              "skips it; split it into shorter statements\n",
              joinLines(check(app.path())));
}

TEST_F(SkinCheckTest, AnImagePastTheCacheBudgetIsReportedWithTheReason)
{
    StagedApp app;
    app.copyFont();
    app.write("Trevandel.cfg", "SKIN=big\n");
    // 921,600 bytes decoded with alpha: 21 spellings of it fit in the budget, the 22nd does not.
    const std::string image = app.path() + "/skins/big/big.png";
    app.write("skins/big/Trevandel.skin", ""); // makes the folder for the image
    ASSERT_TRUE(writeRgbPng(image, 640, 480, std::vector<uint8_t>(640 * 480 * 4, 9), true));
    std::string skin = "PAGE=0\n";
    std::string spelling = "%skindir%";
    for (int slot = 0; slot < 22; slot++, spelling += "./")
        skin += "BUTTON=" + std::to_string(slot) + "\nTYPE=image,0,0," + spelling + "big.png\n";
    app.write("skins/big/Trevandel.skin", skin);
    std::string dots;
    for (int i = 0; i < 21; i++)
        dots += "./";
    const std::vector<std::string> lines = check(app.path());
    // Each fitting one is only cut at the screen's edge.
    ASSERT_EQ(22u, lines.size()) << joinLines(lines);
    EXPECT_EQ("skins/big/Trevandel.skin:45: image skins/big/" + dots + "big.png needs 921600 bytes "
              "decoded (640x480), more than the 307200 left of the image budget",
              lines.back());
}

TEST_F(SkinCheckTest, SkinWithTwoValuesIsReported)
{
    StagedApp app;
    app.copyFont();
    app.write("Trevandel.cfg", "SKIN=a,b\n");
    EXPECT_EQ("Trevandel.cfg:1: SKIN takes one skin name, not 2 values: the launcher looks in "
              "skins/a,b/\n",
              joinLines(check(app.path())));
}

TEST_F(SkinCheckTest, MissingConfigurationAndDefaultSkinAreBothReported)
{
    StagedApp app;
    app.copyFont();
    EXPECT_EQ("Trevandel.cfg: cannot be read: the launcher runs with defaults (skin concept)\n"
              "Trevandel.cfg: the default skin concept names no skin: there is no file "
              "skins/concept/Trevandel.skin\n",
              joinLines(check(app.path())));
}

TEST_F(SkinCheckTest, KeyboardRateOutOfRangeAndBlankBeforeEquals)
{
    StagedApp app;
    app.copyFont();
    app.write("Trevandel.cfg", "SKIN=s\nKEYBOARD_RATE=20000,0\nSPEED_MENU =200\n");
    app.write("skins/s/Trevandel.skin", "PAGE=0\nBACKGROUND=color,000000\n");
    EXPECT_EQ("Trevandel.cfg:2: KEYBOARD_RATE delay \"20000\" is not a number in 0..9999: the "
              "default is used\n"
              "Trevandel.cfg:2: KEYBOARD_RATE repeats per second \"0\" is not a number in 1..999: "
              "the default is used\n"
              "Trevandel.cfg:3: the key \"SPEED_MENU \" ends in a blank, so it is not SPEED_MENU: "
              "write SPEED_MENU=\n",
              joinLines(check(app.path())));
}

TEST_F(SkinCheckTest, EmptyStartPageAndMissingFontAreReported)
{
    StagedApp app;
    app.write("Trevandel.cfg", "SKIN=s\n");
    app.write("skins/s/Trevandel.skin", "STARTPAGE=5\nPAGE=0\nBACKGROUND=color,000000\n");
    EXPECT_EQ(std::string(FONT_FILE) +
                  ": the font sheet does not exist: no text will show\n"
                  "skins/s/Trevandel.skin:1: the start page 5 is empty: the skin never fills it\n",
              joinLines(check(app.path())));
}

TEST_F(SkinCheckTest, ListVariablesOfAListSlotAreFineButOnlyInLongEnoughActions)
{
    StagedApp app;
    app.copyFont();
    app.write("Trevandel.cfg", "SKIN=s\n");
    app.write("skins/s/Trevandel.skin",
              "PAGE=0\n"
              "BUTTON=0\n"
              "TYPE=selector,10,10,200,200\n"
              "ACTION=exec,%p0%,%P0%\n"
              "NAVIGATION=1,2\n"
              "BUTTON=1\n"
              "TYPE=rect,0,0,1,1,FFFFFF\n"
              "ACTION=config,SKIN,%0%\n"
              "BUTTON=2\n"
              "TYPE=rect,0,0,1,1,FFFFFF\n"
              // Two words are never expanded, so the reference stays.
              "ACTION=config,%0%\n");
    EXPECT_EQ("skins/s/Trevandel.skin:11: %0% is not a known variable: it stays as written\n",
              joinLines(check(app.path())));
}

TEST_F(SkinCheckTest, ASlotThatBackSelectsCanBeSelected)
{
    StagedApp app;
    app.copyFont();
    app.write("Trevandel.cfg", "SKIN=s\n");
    // The stick cannot reach slot 3, but Back runs RETURN, which selects it.
    app.write("skins/s/Trevandel.skin",
              "PAGE=0\n"
              "RETURN=select,3\n"
              "BUTTON=0\n"
              "TYPE=rect,0,0,10,10,FFFFFF\n"
              "ACTION=quit\n"
              "BUTTON=3\n"
              "TYPE=rect,20,0,30,10,FFFFFF\n"
              "ACTION=quit\n");
    EXPECT_EQ("", joinLines(check(app.path())));
}

TEST_F(SkinCheckTest, EveryDroppedStatementSaysWhichLineDroppedIt)
{
    StagedApp app;
    app.copyFont();
    app.write("Trevandel.cfg", "SKIN=s\n");
    app.write("skins/s/Trevandel.skin",
              "PAGE=-1\n"                       // 1
              "BACKGROUND=color,000000\n"       // 2
              "PAGE=0\n"                        // 3
              "BACKGROUND=color,000000\n"       // 4
              "BUTTON=-1\n"                     // 5
              "TYPE=rect,0,0,1,1,FFFFFF\n"      // 6
              "PAGE=4294967296\n"               // 7
              "TYPE=rect,0,0,1,1,FFFFFF\n"      // 8
              "ACTION=exec,/,50% off\n"         // 9
              "PAGE=1,2\n"                      // 10
              "PAGE=0\n"                        // 11
              "ACTION=quit\n"                   // 12
              "BUTTON=0\n"                      // 13
              "TYPE=rect,0,0,1,1,FFFFFF\n"      // 14
              "BUTTON=4294967296\n"             // 15
              "TYPE=rect,0,0,1,1,FFFFFF\n");    // 16
    EXPECT_EQ("skins/s/Trevandel.skin:1: PAGE=-1 is outside 0..127: the statements after it are "
              "dropped until the next PAGE\n"
              "skins/s/Trevandel.skin:2: BACKGROUND is dropped: it follows PAGE=-1 at line 1, "
              "which is outside 0..127\n"
              "skins/s/Trevandel.skin:5: BUTTON=-1 is outside 0..63: the statements after it are "
              "dropped until the next BUTTON\n"
              "skins/s/Trevandel.skin:6: TYPE is dropped: it follows BUTTON=-1 at line 5, which "
              "is outside 0..63\n"
              "skins/s/Trevandel.skin:7: PAGE=4294967296 is outside 0..127: the statements after "
              "it are dropped until the next PAGE\n"
              "skins/s/Trevandel.skin:8: TYPE is dropped: it follows PAGE=4294967296 at line 7, "
              "which is outside 0..127\n"
              "skins/s/Trevandel.skin:9: ACTION is dropped: it follows PAGE=4294967296 at line 7, "
              "which is outside 0..127\n"
              "skins/s/Trevandel.skin:10: PAGE with 2 values is not a page number (it takes "
              "exactly 1) and is dropped: it follows PAGE=4294967296 at line 7, which is outside "
              "0..127\n"
              "skins/s/Trevandel.skin:12: ACTION is dropped: it follows BUTTON=-1 at line 5, "
              "which is outside 0..63\n"
              "skins/s/Trevandel.skin:15: BUTTON=4294967296 is outside 0..63: the statements "
              "after it are dropped until the next BUTTON\n"
              "skins/s/Trevandel.skin:16: TYPE is dropped: it follows BUTTON=4294967296 at line "
              "15, which is outside 0..63\n",
              joinLines(check(app.path())));
}

TEST(SkinCheckSummary, WordsTheCount)
{
    std::vector<SkinChecker::Problem> problems;
    EXPECT_EQ("no problems found", SkinChecker::summary(problems));
    problems.push_back({"skins/a/Trevandel.skin", 3, "x"});
    EXPECT_EQ("1 problem in skins/a/Trevandel.skin", SkinChecker::summary(problems));
    problems.push_back({"skins/a/Trevandel.skin", 4, "y"});
    EXPECT_EQ("2 problems in skins/a/Trevandel.skin", SkinChecker::summary(problems));
    problems.push_back({"Trevandel.cfg", 1, "z"});
    EXPECT_EQ("3 problems in 2 files", SkinChecker::summary(problems));
}

TEST(SkinCheckFormat, LineNumberIsLeftOutForAWholeFile)
{
    EXPECT_EQ("a.skin:7: bad", SkinChecker::formatProblem({"a.skin", 7, "bad"}));
    EXPECT_EQ("a.cfg: bad", SkinChecker::formatProblem({"a.cfg", 0, "bad"}));
}

TEST(SkinDiagnosticsTest, KeepsOnlyTheFirstProblemOfAStatement)
{
    SkinDiagnostics diagnostics;
    diagnostics.beginStatement("x.skin", 4);
    diagnostics.report("first");
    diagnostics.report("second");
    diagnostics.beginStatement("x.skin", 5);
    diagnostics.report("third");
    ASSERT_EQ(2u, diagnostics.problems().size());
    EXPECT_EQ("first", diagnostics.problems()[0].message);
    EXPECT_EQ(5, diagnostics.problems()[1].line);
}

TEST(SkinDiagnosticsTest, SortsByFileThenLineAndDropsRepeats)
{
    SkinDiagnostics diagnostics;
    diagnostics.reportAt("b", 1, "x");
    diagnostics.reportAt("a", 10, "x");
    diagnostics.reportAt("a", 2, "x");
    diagnostics.reportAt("a", 2, "x");
    const std::vector<SkinDiagnostics::Problem> sorted = diagnostics.sortedProblems();
    ASSERT_EQ(3u, sorted.size());
    EXPECT_EQ("a", sorted[0].file);
    EXPECT_EQ(2, sorted[0].line);
    EXPECT_EQ(10, sorted[1].line);
    EXPECT_EQ("b", sorted[2].file);
}

TEST(SkinDiagnosticsTest, FieldKeepsLastOrFirstStatement)
{
    SkinDiagnostics diagnostics;
    diagnostics.beginStatement("/app/x.skin", 3);
    diagnostics.setPage(1);
    diagnostics.noteField("LEFT");
    diagnostics.noteFirstField("PAGE");
    diagnostics.beginStatement("/app/x.skin", 8);
    diagnostics.setPage(1);
    diagnostics.noteField("LEFT");
    diagnostics.noteFirstField("PAGE");
    SkinDiagnostics::Location where;
    ASSERT_TRUE(diagnostics.fieldLocation("/app/x.skin", 1, -1, "LEFT", where));
    EXPECT_EQ(8, where.line);
    ASSERT_TRUE(diagnostics.fieldLocation("/app/x.skin", 1, -1, "PAGE", where));
    EXPECT_EQ(3, where.line);
    EXPECT_FALSE(diagnostics.fieldLocation("/app/x.skin", 2, -1, "LEFT", where));
}

TEST(SkinDiagnosticsTest, NamesFilesRelativeToTheBase)
{
    SkinDiagnostics diagnostics;
    diagnostics.setBaseDirectory(WString("/app/"));
    EXPECT_EQ("skins/a/Trevandel.skin", diagnostics.displayName("/app/skins/a/Trevandel.skin"));
    EXPECT_EQ("/elsewhere/Trevandel.dat", diagnostics.displayName("/elsewhere/Trevandel.dat"));
}

TEST(SkinDiagnosticsTest, NothingIsAttachedInTheLauncher)
{
    EXPECT_EQ(nullptr, SkinDiagnostics::observer());
}

} // namespace
