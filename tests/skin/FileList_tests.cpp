// Tests for FileList: listing and order, options, drawing, cursor moves and Trevandel.dat.
#include "skin/FileList.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "config/Config.h"
#include "skin/SkinTestSupport.h"

using skintest::ScreenBuffer;
using skintest::TempDir;
using skintest::press;
using skintest::toStrings;
using skintest::words;

namespace {

typedef std::vector<std::string> Words;

// Options for a list; an empty vector for a key leaves that option out.
struct ListOptions {
    std::string startdir;
    Words filter;
    bool hasFilter = false;
    std::string type;
    Words colour;
};

// Stands for an absent ending: a skin's empty value, as in "filter,.gpe,", expands to one.
const char* const ABSENT = "(absent)";

Config& fillOptions(Config& options, const ListOptions& o)
{
    if (!o.startdir.empty())
        options.set("startdir", words({o.startdir}));
    if (o.hasFilter) {
        WString::Array filter = words(o.filter);
        for (int i = 0; i < filter.count(); i++)
            if (filter.at(i) == ABSENT)
                filter.at(i) = WString();
        options.set("filter", filter);
    }
    if (!o.type.empty())
        options.set("type", words({o.type}));
    if (!o.colour.empty())
        options.set("color", words(o.colour));
    return options;
}

Words listing(const ListOptions& o)
{
    Config options;
    FileList list(0, 0, 100, 40, fillOptions(options, o));
    return toStrings(list.entries());
}

// b.gpe, A.gpe, x.txt, run.gpe and the sub-directory Zed.
void makeGames(const TempDir& dir)
{
    dir.writeFile("b.gpe");
    dir.writeFile("A.gpe");
    dir.writeFile("x.txt");
    dir.makeDir("Zed");
}

} // namespace

TEST(FileListScan, FiltersAndOrder)
{
    TempDir dir;
    makeGames(dir);
    const std::string d = dir.path();
    struct Case {
        Words filter;
        bool hasFilter;
        std::string type;
        Words expected;
    } cases[] = {
        {{".gpe"}, true, "", {"../", "Zed/", "A.gpe", "b.gpe"}},
        {{}, false, "", {"../", "Zed/", "A.gpe", "b.gpe", "x.txt"}},
        {{}, true, "", {"../", "Zed/", "A.gpe", "b.gpe", "x.txt"}},
        {{"*"}, true, "", {"../", "Zed/", "A.gpe", "b.gpe", "x.txt"}},
        {{"*", ".txt"}, true, "", {"../", "Zed/", "x.txt"}},
        {{"gpe", ".gpe"}, true, "", {"../", "Zed/", "A.gpe", "A.gpe", "b.gpe", "b.gpe"}},
        {{".GPE"}, true, "", {"../", "Zed/"}},
        {{".gpe", ABSENT}, true, "", {"../", "Zed/", "A.gpe", "b.gpe"}},
        {{ABSENT}, true, "", {"../", "Zed/"}},
        {{"xb.gpe", "b.gpe"}, true, "", {"../", "Zed/", "b.gpe"}},
        {{".gpe"}, true, "dir", {"Zed"}},
        {{".gpe"}, true, "file", {"A.gpe", "b.gpe"}},
        {{".gpe"}, true, "folder", {"../", "Zed/", "A.gpe", "b.gpe"}},
    };
    for (const Case& c : cases) {
        ListOptions o;
        o.startdir = d;
        o.filter = c.filter;
        o.hasFilter = c.hasFilter;
        o.type = c.type;
        EXPECT_EQ(listing(o), c.expected) << (c.filter.empty() ? "" : c.filter[0]) << " " << c.type;
    }
}

TEST(FileListScan, LinksStatusAndMissingDirectories)
{
    TempDir dir;
    dir.makeDir("real");
    dir.writeFile("file.gpe");
    ASSERT_EQ(symlink((dir.path() + "real").c_str(), (dir.path() + "linkdir").c_str()), 0);
    ASSERT_EQ(symlink((dir.path() + "file.gpe").c_str(), (dir.path() + "link.gpe").c_str()), 0);
    ASSERT_EQ(symlink((dir.path() + "nowhere").c_str(), (dir.path() + "dangling.gpe").c_str()), 0);
    ListOptions o;
    o.startdir = dir.path();
    EXPECT_EQ(listing(o), (Words{"../", "linkdir/", "real/", "file.gpe", "link.gpe"}));

    // Paths are plain concatenation: a start directory without "/" finds no entry's status.
    o.startdir = dir.path().substr(0, dir.path().size() - 1);
    EXPECT_EQ(listing(o), Words{});

    o.startdir = dir.path() + "absent/";
    Config options;
    FileList missing(0, 0, 100, 40, fillOptions(options, o));
    EXPECT_EQ(missing.entries().count(), 0);
    EXPECT_FALSE(missing.currentEntry().isAbsent());
    EXPECT_EQ(std::string(missing.currentEntry().printable()), "");
    EXPECT_EQ(std::string(missing.currentDirectory().printable()), o.startdir);
}

TEST(FileListScan, ScanAppendsAndSortsEverything)
{
    TempDir dir;
    makeGames(dir);
    WString::Array into = words({"zz/", "aa"});
    FileList::scan(WString(dir.path().c_str()), words({".txt"}), into, FileList::ALL);
    EXPECT_EQ(toStrings(into), (Words{"../", "Zed/", "zz/", "aa", "x.txt"}));

    WString::Array none = words({"kept"});
    FileList::scan(WString((dir.path() + "absent/").c_str()), words({""}), none, FileList::ALL);
    EXPECT_EQ(toStrings(none), (Words{"kept"}));

    struct Case {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"../", "a", -1}, {"a", "../", 1}, {"Zed/", "abc/", 1}, {"abc", "ABD", -1},
        {"ABC", "abc", 0}, {"b/", "a", -1}, {"", "a", -1},
    };
    for (const Case& c : cases) {
        WString a(c.a), b(c.b);
        const int result = FileList::compareEntries(&a, &b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
    }
}

TEST(FileListOptions, ColoursStartDirectoryAndRows)
{
    skintest::loadTestFont();
    Config none;
    FileList defaults(0, 10, 100, 51, none);
    EXPECT_EQ(defaults.colour(), 0x0000);
    EXPECT_EQ(defaults.cursorColour(), 0xFFDF);
    EXPECT_EQ(defaults.cursorIdleColour(), 0x7BCF);
    EXPECT_EQ(std::string(defaults.cwd().printable()), "/");
    EXPECT_EQ(defaults.rows(), 10);
    EXPECT_EQ(defaults.listType(), FileList::ALL);

    Config two;
    ListOptions o;
    o.colour = {"FF0000", "00FF00"};
    FileList partial(0, 40, 100, 10, fillOptions(two, o));
    EXPECT_EQ(partial.colour(), 0xF800);
    EXPECT_EQ(partial.cursorColour(), 0x07C0);
    EXPECT_EQ(partial.cursorIdleColour(), 0x7BCF);
    EXPECT_EQ(partial.rows(), 0) << "bottom above top";

    Config bad;
    bad.set("color", words({"FF0000", "00FF00", "0000FF", "FFFFFF"}));
    bad.set("startdir", words({"/tmp/", "/usr/"}));
    bad.set("type", words({"dir", "file"}));
    FileList extra(0, 0, 100, 3, bad);
    EXPECT_EQ(extra.cursorIdleColour(), 0x001F);
    EXPECT_EQ(std::string(extra.cwd().printable()), "/");
    EXPECT_EQ(extra.listType(), FileList::ALL);
    EXPECT_EQ(extra.rows(), 0);
}

TEST(FileListDraw, CursorLineStaysCentred)
{
    skintest::loadTestFont();
    TempDir dir;
    for (const char* name : {"a", "bb", "ccc", "dddd"})
        dir.writeFile(name);
    ListOptions o;
    o.startdir = dir.path();
    o.type = "file";
    o.colour = {"FF0000", "00FF00", "0000FF"};
    Config options;
    FileList list(4, 8, 100, 48, fillOptions(options, o));
    ASSERT_EQ(list.rows(), 10);
    const int h = skintest::LINE_HEIGHT, w = skintest::GLYPH_WIDTH;

    ScreenBuffer screen;
    list.draw(true);
    for (int line = 0; line < 5; line++)
        EXPECT_EQ(screen.runFrom(0, 8 + line * h, 0), 320) << "line " << line;
    EXPECT_EQ(screen.runFrom(4, 8 + 5 * h, 0x07C0), 1 * w);
    EXPECT_EQ(screen.runFrom(4, 8 + 6 * h, 0xF800), 2 * w);
    EXPECT_EQ(screen.runFrom(4, 8 + 8 * h, 0xF800), 4 * w);
    EXPECT_EQ(screen.runFrom(0, 8 + 9 * h, 0), 320);

    press(list, 4);
    press(list, 4);
    screen.fill(0);
    list.draw(false);
    EXPECT_EQ(screen.runFrom(4, 8 + 3 * h, 0xF800), 1 * w);
    EXPECT_EQ(screen.runFrom(4, 8 + 5 * h, 0x001F), 3 * w) << "idle cursor colour";
    EXPECT_EQ(screen.runFrom(4, 8 + 6 * h, 0xF800), 4 * w);
}

TEST(FileListInput, CursorMovesAndShoulderButtons)
{
    skintest::loadTestFont();
    TempDir dir;
    for (int i = 0; i < 25; i++) {
        char name[16];
        snprintf(name, sizeof name, "f%02d", i);
        dir.writeFile(name);
    }
    ListOptions o;
    o.startdir = dir.path();
    o.type = "file";
    Config options;
    FileList list(0, 0, 100, 40, fillOptions(options, o));
    ASSERT_EQ(list.entries().count(), 25);
    ASSERT_EQ(list.rows(), 10);

    struct Step {
        int nav;
        int navAfter;
        int cursor;
    } steps[] = {
        {3, 3, 0}, {7, 7, 0}, {4, 0, 1}, {8, 0, 6}, {8, 0, 11}, {8, 0, 16}, {8, 0, 21},
        {4, 0, 22}, {8, 0, 24}, {8, 8, 24}, {4, 4, 24}, {7, 0, 19}, {3, 0, 18}, {7, 0, 13},
        {7, 0, 8}, {7, 0, 3}, {7, 0, 0}, {1, 1, 0}, {2, 2, 0}, {6, 6, 0},
    };
    for (const Step& s : steps) {
        int nav = -1;
        const Words action = press(list, s.nav, &nav);
        EXPECT_TRUE(action.empty());
        EXPECT_EQ(nav, s.navAfter) << "nav " << s.nav << " towards " << s.cursor;
        EXPECT_EQ(list.cursor(), s.cursor) << "nav " << s.nav;
    }
    EXPECT_EQ(std::string(list.currentEntry().printable()), "f00");
    int nav = -1;
    EXPECT_TRUE(press(list, 5, &nav).empty());
    EXPECT_EQ(nav, 5) << "a file without a Trevandel.dat action leaves the key to the button";
}

TEST(FileListChangeDir, EnterAndLeaveDirectories)
{
    TempDir dir;
    dir.makeDir("games");
    for (const char* sub : {"a", "snes", "z"})
        dir.makeDir(std::string("games/") + sub);
    dir.writeFile("games/snes/mario.gpe");
    const std::string games = dir.path() + "games/";
    ListOptions o;
    o.startdir = games + "snes/";
    o.filter = {".gpe"};
    o.hasFilter = true;
    Config options;
    FileList list(0, 0, 100, 40, fillOptions(options, o));
    EXPECT_EQ(toStrings(list.entries()), (Words{"../", "mario.gpe"}));

    int nav = -1;
    std::string out = skintest::captureStdout([&] { press(list, 5, &nav); });
    EXPECT_EQ(nav, 0);
    EXPECT_EQ(out, "Changed to " + games + "\n");
    EXPECT_EQ(std::string(list.cwd().printable()), games);
    EXPECT_EQ(toStrings(list.entries()), (Words{"../", "a/", "snes/", "z/"}));
    EXPECT_EQ(list.cursor(), 2) << "the cursor lands on the directory just left";

    press(list, 4);
    out = skintest::captureStdout([&] { press(list, 5); });
    EXPECT_EQ(out, "Changed to " + games + "z/\n");
    EXPECT_EQ(list.cursor(), 0);
    EXPECT_EQ(std::string(list.currentEntry().printable()), "../");
}

TEST(FileListChangeDir, AFolderThatCannotBeListedAndSearchedIsNotEntered)
{
    TempDir dir;
    dir.makeDir("games");
    dir.makeDir("games/locked");
    dir.writeFile("games/locked/run.gpe");
    const std::string games = dir.path() + "games/";
    const std::string locked = games + "locked/";
    struct Case {
        const char* what;
        mode_t mode;
    } cases[] = {
        {"neither read nor search", 0000},
        {"search without read", 0111},
        // The names could be read, but not one entry's status, "../" included.
        {"read without search", 0444},
    };
    for (const Case& c : cases) {
        ListOptions o;
        o.startdir = games;
        Config options;
        FileList list(0, 0, 100, 40, fillOptions(options, o));
        ASSERT_EQ(toStrings(list.entries()), (Words{"../", "locked/"}));
        press(list, 4);
        ASSERT_EQ(chmod(locked.c_str(), c.mode), 0);
        int nav = -1;
        Words action;
        std::string out;
        {
            skintest::PermissionBitsHold asAnyUser;
            out = skintest::captureStdout([&] { action = press(list, 5, &nav); });
        }
        chmod(locked.c_str(), 0755);
        EXPECT_EQ(out, "") << c.what;
        EXPECT_EQ(nav, 0) << c.what << ": the key is used, not passed on to the button's action";
        EXPECT_EQ(action, Words{}) << c.what;
        EXPECT_EQ(std::string(list.cwd().printable()), games) << c.what;
        EXPECT_EQ(toStrings(list.entries()), (Words{"../", "locked/"})) << c.what;
        EXPECT_EQ(list.cursor(), 1) << c.what;
    }
}

TEST(FileListChangeDir, ParentOfRootStaysAtRoot)
{
    Config options;
    FileList list(0, 0, 100, 40, options);
    ASSERT_EQ(std::string(list.cwd().printable()), "/");
    const std::string out = skintest::captureStdout([&] { list.changeDir(WString("../")); });
    EXPECT_EQ(out, "Changed to /\n");
    EXPECT_EQ(std::string(list.cwd().printable()), "/");
    EXPECT_GT(list.entries().count(), 0);
    EXPECT_EQ(list.cursor(), 0);
}

TEST(FileListDat, DirectoryActionSpeedAndFilter)
{
    TempDir dir;
    dir.makeDir("games");
    dir.makeDir("games/emu");
    dir.makeDir("games/emu/roms");
    dir.makeDir("games/emu/roms/sub");
    dir.makeDir("games/emu/plain");
    dir.writeFile("games/emu/roms/x.rom");
    dir.writeFile("games/emu/roms/y.txt");
    dir.writeFile("games/emu/Trevandel.dat",
                  "FILTER=.txt\nDIRECTORY=%cwd%roms/\nFILTER=.rom\nACTION=exec,%cwd%,%cwd%emu.gpe,"
                  "%P3%\nSPEED=177\nUNKNOWN=1\n");
    const std::string games = dir.path() + "games/", emu = games + "emu/";
    ListOptions o;
    o.startdir = games;
    o.type = "dir";
    Config options;
    FileList list(0, 0, 100, 40, fillOptions(options, o));
    ASSERT_EQ(toStrings(list.entries()), (Words{"emu"}));
    // A directories-only list has no "/" on its names, so the action key goes to the button.
    int nav = -1;
    EXPECT_TRUE(press(list, 5, &nav).empty());
    EXPECT_EQ(nav, 5);

    const std::string out = skintest::captureStdout([&] { list.changeDir(WString("emu/")); });
    EXPECT_EQ(out, "Changed to " + emu + "\n");
    EXPECT_EQ(std::string(list.datDirectory().printable()), emu + "roms/");
    EXPECT_EQ(toStrings(list.entries()), (Words{"../", "sub/", "x.rom"}))
        << "the dat file lists with its own endings and type 0";
    EXPECT_EQ(toStrings(list.datSpeed()), (Words{"177"}));
    EXPECT_EQ(std::string(list.currentDirectory().printable()), emu + "roms/");

    // sub/ lies in the listed roms/, but entering appends it to emu/, which has none: the list
    // stays where it is rather than show an empty list with no way back.
    press(list, 4);
    std::string stay = skintest::captureStdout([&] { press(list, 5, &nav); });
    EXPECT_EQ(stay, "");
    EXPECT_EQ(std::string(list.cwd().printable()), emu);
    EXPECT_EQ(toStrings(list.entries()), (Words{"../", "sub/", "x.rom"}));
    EXPECT_EQ(list.cursor(), 1);
    press(list, 4);
    std::string clock;
    Words action;
    clock = skintest::captureStdout([&] { action = press(list, 5, &nav); });
    EXPECT_EQ(nav, 0);
    EXPECT_EQ(action, (Words{"exec", emu, emu + "emu.gpe", "%P3%"}));
    EXPECT_EQ(gCpuClock.mhz(), 177) << "the dat file's speed is applied before the exec";
    EXPECT_NE(clock.find("Switching CPU to 177 Mhz"), std::string::npos) << clock;

    // Nor does it move into a folder whose dat file names a directory that does not exist.
    dir.makeDir("games/emu/broken");
    dir.writeFile("games/emu/broken/Trevandel.dat", "DIRECTORY=%cwd%nowhere/\nACTION=quit\nSPEED=200\n");
    stay = skintest::captureStdout([&] { list.changeDir(WString("broken/")); });
    EXPECT_EQ(stay, "");
    EXPECT_EQ(std::string(list.cwd().printable()), emu);
    EXPECT_EQ(std::string(list.datDirectory().printable()), emu + "roms/");
    EXPECT_EQ(toStrings(list.datAction()), (Words{"exec", "%cwd%", "%cwd%emu.gpe", "%P3%"}));
    EXPECT_EQ(toStrings(list.datSpeed()), (Words{"177"}));
    EXPECT_EQ(toStrings(list.entries()), (Words{"../", "sub/", "x.rom"}));
    EXPECT_EQ(list.cursor(), 2);

    // Leaving for a directory without a dat file drops the action; the speed stays.
    skintest::captureStdout([&] { list.changeDir(WString("plain/")); });
    EXPECT_EQ(list.datAction().count(), 0);
    EXPECT_EQ(toStrings(list.datSpeed()), (Words{"177"}));
    EXPECT_EQ(std::string(list.currentDirectory().printable()), emu + "plain/");
    EXPECT_EQ(toStrings(list.entries()), Words{}) << "back to the list's own type: dirs only";
}

TEST(FileListDat, ActionsWithoutExecAndDatWithoutFilterOrAction)
{
    TempDir dir;
    dir.makeDir("a");
    dir.makeDir("a/b");
    dir.makeDir("a/b/c");
    dir.writeFile("a/b/file.gpe");
    dir.writeFile("a/file.gpe");
    dir.writeFile("a/Trevandel.dat", "ACTION=config,ROM,%cwd%\nFILTER=.gpe\n");
    dir.writeFile("a/b/Trevandel.dat", "DIRECTORY=%cwd%\n");
    ListOptions o;
    o.startdir = dir.path();
    Config options;
    FileList list(0, 0, 100, 40, fillOptions(options, o));
    skintest::captureStdout([&] { list.changeDir(WString("a/")); });
    EXPECT_EQ(toStrings(list.entries()), (Words{"../", "b/", "file.gpe"}));
    press(list, 4);
    press(list, 4);
    EXPECT_EQ(press(list, 5), (Words{"config", "ROM", "%cwd%"})) << "%cwd% is only for exec";

    // A dat file without FILTER lists directories only; the earlier ACTION stays in force.
    skintest::captureStdout([&] { list.changeDir(WString("b/")); });
    EXPECT_EQ(toStrings(list.entries()), (Words{"../", "c/"}));
    EXPECT_EQ(toStrings(list.datAction()), (Words{"config", "ROM", "%cwd%"}));
    EXPECT_EQ(std::string(list.currentDirectory().printable()), dir.path() + "a/b/");

    // Going up reads no dat file, even where one lies: the list's own filters apply again.
    skintest::captureStdout([&] { press(list, 5); });
    EXPECT_EQ(toStrings(list.entries()), (Words{"../", "b/", "file.gpe", "Trevandel.dat"}));
    EXPECT_EQ(list.cursor(), 1);
    EXPECT_EQ(list.datAction().count(), 0);

    // An empty FILTER is one absent ending, which no name has: only directories are listed.
    dir.writeFile("a/b/c/Trevandel.dat", "FILTER=\n");
    dir.writeFile("a/b/c/run.gpe");
    skintest::captureStdout([&] { list.changeDir(WString("b/c/")); });
    EXPECT_EQ(toStrings(list.entries()), (Words{"../"}));
}
