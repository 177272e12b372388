// Start-up and key handling with skins, images and trees built to break the launcher.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/Config.h"
#include "launcher/LauncherTestSupport.h"
#include "launcher/Globals.h"
#include "platform/Input.h"
#include "launcher/Launcher.h"
#include "platform/Video.h"
#include "launcher/runProgram.h"
#include "support/BoundedChild.h"
#include "support/PngWriter.h"
#include "skin/Button.h"
#include "skin/FileList.h"
#include "skin/Page.h"

namespace {

namespace fs = std::filesystem;

const uint16_t RED = 0xF800;
const uint16_t BLUE = 0x001F;

// Every page the probe needs lies at the top of the table, away from the hostile statements.
const int PROBE_PAGE = 127;
const int PROBE_TARGET_PAGE = 126;
const char* const PROBE_SKIN = "PAGE=127\n"
                               "BUTTON=0\n"
                               "TYPE=rect,0,0,3,3,ffffff\n"
                               "ACTION=page,126\n"
                               "PAGE=126\n"
                               "BACKGROUND=color,0000ff\n";

using coretest::readFile;
using coretest::writeFile;

// An 8-bit RGB PNG of one colour.
bool writeSolidPng(const std::string& path, int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    fs::create_directories(fs::path(path).parent_path());
    std::vector<uint8_t> samples;
    for (int i = 0; i < width * height; i++)
        samples.insert(samples.end(), {r, g, b});
    return writeRgbPng(path, width, height, samples, false);
}

// An application directory whose configuration picks the skin "hostile".
class AppDir : public coretest::AppDir {
public:
    AppDir() : coretest::AppDir("trevandel-hostile")
    {
        writeConfig("SKIN=hostile\nKEYBOARD_RATE=0,500\n");
    }
    std::string skinDir() const { return coretest::AppDir::skinDir("hostile"); }
    // The probe pages come first, so that nothing hostile after them can take them away.
    void writeSkin(const std::string& hostile) const
    {
        coretest::AppDir::writeSkin("hostile", PROBE_SKIN + hostile);
    }
};

// A FIFO with its write end held open by the test. An unguarded open then succeeds at once
// instead of blocking, so a regression shows up as a failed expectation, not a hung test.
class HeldFifo {
public:
    explicit HeldFifo(const std::string& path) : m_writer(-1)
    {
        fs::create_directories(fs::path(path).parent_path());
        if (mkfifo(path.c_str(), 0600) == 0)
            m_writer = open(path.c_str(), O_RDWR | O_NONBLOCK);
    }
    ~HeldFifo()
    {
        if (m_writer >= 0)
            close(m_writer);
    }
    bool ok() const { return m_writer >= 0; }
    bool feed(const std::string& bytes) const
    {
        return write(m_writer, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    }

private:
    int m_writer;
};

const ButtonMask kInPlaceControls[] = {BTN_UP, BTN_DOWN, BTN_B, BTN_L, BTN_R,
                                       BTN_X,  BTN_START, BTN_A, BTN_Y, 0};
const ButtonMask kEveryControl[] = {BTN_LEFT, BTN_RIGHT, BTN_UP,    BTN_DOWN, BTN_B, BTN_L,
                                    BTN_R,    BTN_X,     BTN_START, BTN_A,    BTN_Y, 0};

class HostileSkin : public coretest::LauncherFixture {
protected:
    // Hands one mask to the launcher and returns what it printed; the launcher must go on.
    static std::string press(Launcher& launcher, ButtonMask mask)
    {
        testing::internal::CaptureStdout();
        Launcher::Step step = launcher.handleMask(mask);
        fflush(stdout);
        std::string output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(Launcher::CONTINUE, step) << "mask " << mask;
        return output;
    }

    // Every control on the given page, twice over; returns everything printed.
    static std::string driveEveryControl(Launcher& launcher, int page)
    {
        std::string output;
        for (int round = 0; round < 2; round++) {
            for (ButtonMask mask : kEveryControl) {
                launcher.setCurrentPage(page);
                output += press(launcher, mask);
            }
        }
        return output;
    }

    // Selects each of count buttons in turn (each leads right to the next) and presses every
    // control that does not move the selection sideways.
    static std::string driveButtons(Launcher& launcher, int page, int count)
    {
        std::string output;
        for (int slot = 0; slot < count; slot++) {
            launcher.setCurrentPage(page);
            EXPECT_EQ(slot, launcher.page(page).selected());
            for (ButtonMask mask : kInPlaceControls) {
                launcher.setCurrentPage(page);
                output += press(launcher, mask);
            }
            launcher.setCurrentPage(page);
            output += press(launcher, BTN_RIGHT);
        }
        return output;
    }

    static uint16_t shownPixel(int x, int y)
    {
        return Video::backBuffer(Video::bufferIndex() ^ 1)[y * Video::WIDTH + x];
    }

    // The probe button still switches pages and the new page is drawn and shown.
    static void expectStillAnswers(Launcher& launcher)
    {
        launcher.setCurrentPage(PROBE_PAGE);
        press(launcher, BTN_B);
        EXPECT_EQ(PROBE_TARGET_PAGE, launcher.currentPage());
        EXPECT_EQ(BLUE, shownPixel(160, 120));
    }
};

std::string pageWith(int page, const std::string& statements)
{
    return "PAGE=" + std::to_string(page) + "\n" + statements;
}

// Left and right lead from button slot to its neighbours among count buttons.
std::string sideways(int slot, int count)
{
    return "NAVIGATION=" + std::to_string((slot + count - 1) % count) + "," +
           std::to_string((slot + 1) % count) + "\n";
}

TEST_F(HostileSkin, PageAndStartPageNumbersFarOutOfRangeAreIgnored)
{
    AppDir app;
    app.copyFont();
    // Beyond the int range too: a wrapped 4294967296 would be page 0, 4294967299 page 3.
    const char* const badPages[] = {"128",        "-1",          "99999",      "-99999",
                                    "2147483647", "-2147483648", "4294967296", "4294967299"};
    std::string skin = "STARTPAGE=5\n";
    for (const char* bad : badPages) {
        skin += std::string("STARTPAGE=") + bad + "\n";
        skin += std::string("PAGE=") + bad + "\nBUTTON=0\nTYPE=rect,0,0,9,9,ff0000\n"
                "BACKGROUND=color,ff0000\n";
    }
    app.writeSkin(skin);

    Launcher launcher;
    startUp(launcher, app);
    EXPECT_EQ(5, launcher.currentPage());
    for (int page = 0; page < PROBE_TARGET_PAGE; page++) {
        EXPECT_EQ(nullptr, launcher.page(page).button(0)) << "page " << page;
        EXPECT_TRUE(launcher.page(page).backgroundType().isAbsent()) << "page " << page;
    }
    launcher.setCurrentPage(-1);
    launcher.setCurrentPage(128);
    EXPECT_EQ(5, launcher.currentPage());
    driveEveryControl(launcher, 5);
    expectStillAnswers(launcher);
}

TEST_F(HostileSkin, ButtonSlotsOutOfRangeAreIgnored)
{
    AppDir app;
    app.copyFont();
    std::string skin = pageWith(0, "BUTTON=0\nTYPE=rect,0,0,1,1,ffffff\nACTION=select,63\n");
    for (const char* bad : {"64", "-1", "99999", "-2147483648", "4294967296"})
        skin += std::string("BUTTON=") + bad + "\nTYPE=rect,0,0,9,9,ff0000\nACTION=quit\n";
    skin += "BUTTON=63\nTYPE=rect,0,0,1,1,ffffff\nLEFT=select,64\nRIGHT=select,-1\n"
            "UP=select,4294967296\nDOWN=select\n";
    app.writeSkin(skin);

    Launcher launcher;
    startUp(launcher, app);
    Page& page = launcher.page(0);
    for (int slot = 1; slot < 63; slot++)
        EXPECT_EQ(nullptr, page.button(slot)) << "slot " << slot;
    ASSERT_NE(nullptr, page.button(63));
    EXPECT_EQ(nullptr, page.button(64));
    EXPECT_EQ(nullptr, page.button(-1));

    press(launcher, BTN_B);
    EXPECT_EQ(63, page.selected());
    for (ButtonMask mask : {BTN_LEFT, BTN_RIGHT, BTN_UP, BTN_DOWN})
        press(launcher, mask);
    EXPECT_EQ(63, page.selected());
    driveEveryControl(launcher, 0);
    expectStillAnswers(launcher);
}

TEST_F(HostileSkin, EveryStatementWithTooFewArguments)
{
    AppDir app;
    app.copyFont();
    const char* const types[] = {"TYPE=",       "TYPE=image",         "TYPE=image,5",
                                 "TYPE=image,5,5", "TYPE=text",       "TYPE=text,1,2,ffffff,ffffff",
                                 "TYPE=rect",   "TYPE=rect,1,2,3,4",  "TYPE=selector",
                                 "TYPE=selector,0,0,100", "TYPE=nosuchtype,1"};
    const char* const actions[] = {"ACTION=",        "ACTION=page",   "ACTION=exec",
                                   "ACTION=config",  "ACTION=select", "ACTION=exec,",
                                   "ACTION=page,,",  "ACTION=select,,"};
    std::string skin = "PAGE=0\n";
    const int count = int(sizeof types / sizeof types[0]);
    for (int slot = 0; slot < count; slot++) {
        skin += "BUTTON=" + std::to_string(slot) + "\n" + types[slot] + "\n";
        skin += "NAVIGATION=\nNAVIGATION=,\n" + sideways(slot, count);
        skin += std::string(actions[slot % (sizeof actions / sizeof actions[0])]) + "\n";
        skin += "OPTIONS=\nOPTIONS=color\nOPTIONS=filter\nUP=\nDOWN=page\n";
    }
    skin += "RETURN=\n";
    const char* const backgrounds[] = {"BACKGROUND=",        "BACKGROUND=image",
                                       "BACKGROUND=color",   "BACKGROUND=gradient,ffffff",
                                       "BACKGROUND=color,f", "BACKGROUND=nosuchkind,1"};
    for (int i = 0; i < int(sizeof backgrounds / sizeof backgrounds[0]); i++)
        skin += pageWith(1 + i, std::string(backgrounds[i]) + "\nRETURN=page\nBUTTON\nBUTTON=\n");
    skin += "PAGE\nPAGE=\nSTARTPAGE\nSTARTPAGE=\nVARIABLE\nVARIABLE=\nVARIABLE=ONLY\n";
    app.writeSkin(skin);

    Launcher launcher;
    startUp(launcher, app);
    EXPECT_EQ(0, launcher.currentPage());
    std::string output = driveButtons(launcher, 0, count);
    for (int i = 0; i < 6; i++)
        output += driveEveryControl(launcher, 1 + i);
    output += driveEveryControl(launcher, 0);
    // Nothing was launched without a program word.
    EXPECT_EQ(std::string::npos, output.find("RUN00")) << output.substr(0, 2000);
    expectStillAnswers(launcher);
}

TEST_F(HostileSkin, ImagesOffScreenAndLargerThanTheScreen)
{
    AppDir app;
    app.copyFont();
    ASSERT_TRUE(writeSolidPng(app.skinDir() + "red.png", 16, 16, 255, 0, 0));
    ASSERT_TRUE(writeSolidPng(app.skinDir() + "huge.png", 400, 300, 255, 0, 0));
    std::string skin = pageWith(0, "BACKGROUND=color,0000ff\n");
    const char* const places[] = {"-8,-8",          "-100000,-100000", "319,239",
                                  "100000,5",       "5,100000",        "-2147483648,2147483647",
                                  "2147483647,-2147483648", "-16,0", "320,240"};
    int slot = 0;
    for (const char* place : places)
        skin += "BUTTON=" + std::to_string(slot++) + "\nTYPE=image," + place +
                ",%skindir%red.png,%skindir%red.png\n";
    skin += pageWith(1, "BACKGROUND=image,%skindir%huge.png\n");
    skin += pageWith(2, "BACKGROUND=color,0000ff\n");
    slot = 0;
    for (const char* place : {"-40,-30", "-400,-300", "300,200", "0,0"})
        skin += "BUTTON=" + std::to_string(slot++) + "\nTYPE=image," + place + ",%skindir%huge.png\n";
    app.writeSkin(skin);

    Launcher launcher;
    std::string output = startUp(launcher, app);
    // Only the corners of the small image that reach onto the screen are drawn.
    launcher.setCurrentPage(0);
    output += press(launcher, 0);
    EXPECT_EQ(std::string::npos, output.find("Could not load image")) << output;
    EXPECT_EQ(RED, shownPixel(0, 0));
    EXPECT_EQ(RED, shownPixel(7, 7));
    EXPECT_EQ(BLUE, shownPixel(8, 8));
    EXPECT_EQ(RED, shownPixel(319, 239));
    EXPECT_EQ(BLUE, shownPixel(318, 238));
    EXPECT_EQ(BLUE, shownPixel(160, 120));
    launcher.setCurrentPage(1);
    press(launcher, 0);
    EXPECT_EQ(RED, shownPixel(0, 0));
    EXPECT_EQ(RED, shownPixel(319, 239));
    launcher.setCurrentPage(2);
    press(launcher, 0);
    EXPECT_EQ(RED, shownPixel(0, 0));
    EXPECT_EQ(RED, shownPixel(319, 239));
    for (int page = 0; page < 3; page++)
        driveEveryControl(launcher, page);
    expectStillAnswers(launcher);
}

TEST_F(HostileSkin, ImageFilesThatCannotBeDecodedFailCleanly)
{
    AppDir app;
    app.copyFont();
    const std::string dir = app.skinDir();
    ASSERT_TRUE(writeSolidPng(dir + "whole.png", 32, 32, 255, 0, 0));
    std::string whole = readFile(dir + "whole.png");
    writeFile(dir + "truncated.png", whole.substr(0, whole.size() / 2));
    writeFile(dir + "empty.png", "");
    // Headers claiming huge sizes over a few bytes of data.
    writePngHeaderOnly(dir + "giant.png", 60000, 60000);
    writePngHeaderOnly(dir + "wide.png", 0x7fffffff, 1);
    writeFile(dir + "text.png", "PAGE=0\n");
    fs::create_directories(dir + "folder.png");
    HeldFifo fifo(dir + "fifo.png");
    ASSERT_TRUE(fifo.ok());
    // An unguarded reader would decode this from the FIFO instead of refusing it.
    ASSERT_TRUE(fifo.feed(whole));

    const char* const names[] = {"truncated.png", "empty.png",  "giant.png", "wide.png",
                                 "text.png",      "folder.png", "fifo.png",  "missing.png"};
    std::string skin;
    int page = 0;
    for (const char* name : names) {
        skin += pageWith(page++, std::string("BACKGROUND=image,%skindir%") + name +
                                     "\nBUTTON=0\nTYPE=image,0,0,%skindir%" + name + "\n");
    }
    skin += pageWith(page++, "BACKGROUND=image,%skindir%\nBUTTON=0\nTYPE=image,0,0,/dev/zero\n");
    app.writeSkin(skin);

    Launcher launcher;
    startUp(launcher, app);
    std::string output;
    for (int i = 0; i < page; i++)
        output += driveEveryControl(launcher, i);
    for (const char* name : names) {
        EXPECT_NE(std::string::npos, output.find("Could not load image " + dir + name + "\n"))
            << name << "\n" << output.substr(0, 3000);
    }
    EXPECT_NE(std::string::npos, output.find("Could not load image " + dir + "\n"));
    EXPECT_NE(std::string::npos, output.find("Could not load image /dev/zero\n"));
    expectStillAnswers(launcher);
}

TEST_F(HostileSkin, HugeZeroAndPercentLadenValues)
{
    AppDir app;
    app.copyFont();
    std::string exec = "ACTION=exec,/games";
    for (int i = 0; i < 300; i++)
        exec += ",w" + std::to_string(i);
    const std::string longLine(2 * 1024 * 1024, 'M');
    const int count = 6;
    std::string skin = "VARIABLE=P,100%,%%,%,%P%\n";
    skin += pageWith(0, "BUTTON=0\nTYPE=text,-5,-5,ffffff,ffffff,%%%battery%%%%%\n" + exec + "\n");
    skin += "BUTTON=1\nTYPE=text,319,239,ffffff,ffffff,%P%%P[0]%%P[99999]%%P[-1]%%P[x%\n";
    skin += "BUTTON=2\nTYPE=text,-2147483648,2147483647,%,%%,%unmatched\n";
    skin += "BUTTON=3\nTYPE=text,2147483647,-2147483648,ffffff,ffffff,abc%def%ghi%\n";
    skin += "BUTTON=4\nTYPE=text,0,120,ffffff,ffffff,%%" + longLine + "\nACTION=exec,/," + longLine +
            "\n";
    skin += "BUTTON=5\nTYPE=text,300,230,%%%%,%%%%,%[0]%%[%%]%\nACTION=config,%,%%,%\n";
    for (int slot = 0; slot < count; slot++)
        skin += "BUTTON=" + std::to_string(slot) + "\n" + sideways(slot, count);
    // The content ends at a zero byte: nothing after it may reach a page.
    using namespace std::string_literals;
    skin += "BUTTON=6\nTYPE=rect,0,0,1,1,ffffff\n\0\nBUTTON=7\nTYPE=rect,0,0,1,1,ffffff\n"s;
    app.writeSkin(skin);

    Launcher launcher;
    startUp(launcher, app);
    Page& page = launcher.page(0);
    ASSERT_NE(nullptr, page.button(6));
    EXPECT_EQ(nullptr, page.button(7));

    std::string output = press(launcher, BTN_B);
    EXPECT_NE(std::string::npos, output.find("RUN00: w0\n"));
    // The launch takes as many arguments as it has slots and drops the rest.
    const std::string last = std::to_string(RUN_ARGUMENT_SLOTS - 1);
    EXPECT_NE(std::string::npos, output.find("RUN" + last + ": w" + last + "\n"));
    EXPECT_EQ(std::string::npos, output.find("RUN" + std::to_string(RUN_ARGUMENT_SLOTS)));
    output += driveButtons(launcher, 0, count);
    EXPECT_NE(std::string::npos, output.find("RUN00: " + longLine + "\n"));
    expectStillAnswers(launcher);
}

TEST_F(HostileSkin, VariablesThatDoubleOnEveryLineStopAtTheExpansionLimits)
{
    AppDir app;
    app.copyFont();
    // Unbounded, A would hold 2^30 copies of x after these lines.
    std::string skin = "VARIABLE=A,x,x\n";
    for (int i = 0; i < 28; i++)
        skin += "VARIABLE=A,%A%,%A%\n";
    skin += pageWith(0, "BUTTON=0\nTYPE=text,0,0,ffffff,ffffff,%A%\n");
    app.writeSkin(skin);

    const int SHOWN = 0;
    ChildOutcome outcome = runInBoundedChild(
        [&]() {
            Launcher launcher;
            startUp(launcher, app);
            WString::Array values;
            if (!gConfig.get("A", values) || values.count() != 2)
                return 1;
            // Beyond the limits the reference stays as written.
            for (int i = 0; i < values.count(); i++) {
                if (size_t(values.at(i).length()) > Config::MAX_EXPANDED_BYTES)
                    return 2;
            }
            if (values.join(WString(",")).find("%A%") < 0)
                return 3;
            launcher.setCurrentPage(PROBE_PAGE);
            launcher.handleMask(BTN_B);
            return launcher.currentPage() == PROBE_TARGET_PAGE && shownPixel(160, 120) == BLUE ? SHOWN : 4;
        },
        96 * 1024);
    EXPECT_FALSE(outcome.overLimit);
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(SHOWN, outcome.result);
}

TEST_F(HostileSkin, ListWindowsOverOddAndHugeDirectories)
{
    AppDir app;
    app.copyFont();
    const std::string big = app.base() + "big/";
    fs::create_directories(big);
    const int fileCount = 20000;
    for (int i = 0; i < fileCount; i++) {
        int fd = open((big + "file" + std::to_string(i) + ".gpe").c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    writeFile(app.base() + "plain.txt", "x");
    const int count = 8;
    std::string skin = pageWith(0, "BUTTON=0\nTYPE=selector,10,20,300,220\nOPTIONS=startdir," + big +
                                       "\nOPTIONS=color,zz,1,\n");
    skin += "BUTTON=1\nTYPE=selector,10,200,300,20\nOPTIONS=startdir," + big + "\n";
    skin += "BUTTON=2\nTYPE=selector,-100000,-100000,100000,100000\nOPTIONS=startdir," + big + "\n";
    skin += "BUTTON=3\nTYPE=selector,0,0,319,239\nOPTIONS=startdir," + app.base() +
            "plain.txt/\n";
    skin += "BUTTON=4\nTYPE=selector,0,0,319,239\nOPTIONS=startdir,/no/such/place/\n";
    skin += "BUTTON=5\nTYPE=selector,0,0,319,239\nOPTIONS=startdir,\nOPTIONS=filter\n";
    // Windows spanning the whole int range: their height once overflowed into undefined
    // behaviour, and drawing visited every one of their hundreds of millions of rows.
    skin += "BUTTON=6\nTYPE=selector,0,-2147483648,319,2147483647\nOPTIONS=startdir," + big + "\n";
    skin += "BUTTON=7\nTYPE=selector,-2147483648,2147483600,2147483647,2147483647\n"
            "OPTIONS=startdir," + big + "\n";
    for (int slot = 0; slot < count; slot++)
        skin += "BUTTON=" + std::to_string(slot) + "\n" + sideways(slot, count);
    app.writeSkin(skin);

    Launcher launcher;
    startUp(launcher, app);
    press(launcher, 0);
    Page& page = launcher.page(0);
    ASSERT_NE(nullptr, page.button(0));
    const FileList* list = page.button(0)->list();
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(fileCount + 1, list->entries().count()); // the files and "../"
    ASSERT_NE(nullptr, page.button(1)->list());
    EXPECT_EQ(0, page.button(1)->list()->rows());
    ASSERT_NE(nullptr, page.button(6)->list());
    EXPECT_EQ(int(4294967295LL / gFont.lineHeight()), page.button(6)->list()->rows());

    for (int slot = 0; slot < count; slot++) {
        ASSERT_EQ(slot, page.selected());
        for (int i = 0; i < 40; i++)
            press(launcher, i % 3 == 0 ? BTN_R : BTN_DOWN);
        if (slot == 0) {
            EXPECT_GT(list->cursor(), 40);
        }
        for (int i = 0; i < 60; i++)
            press(launcher, i % 3 == 0 ? BTN_L : BTN_UP);
        press(launcher, BTN_RIGHT);
    }
    driveButtons(launcher, 0, count);
    expectStillAnswers(launcher);
}

TEST_F(HostileSkin, DirectoryNamesInAConfigActionSaveOnlyWhatReadsBack)
{
    AppDir app;
    app.copyFont();
    const std::string tree = app.base() + "tree/";
    fs::create_directories(tree + "comma,name");
    fs::create_directories(tree + "line\nfeed");
    app.writeSkin(pageWith(0, "BUTTON=0\nTYPE=selector,0,0,319,239\nOPTIONS=startdir," + tree +
                                  "\nLEFT=config,LASTDIR,%0%\n"));
    const std::string configPath = app.base() + "Trevandel.cfg";

    Launcher launcher;
    startUp(launcher, app);
    press(launcher, 0);
    const FileList* list = launcher.page(0).button(0)->list();
    ASSERT_NE(nullptr, list);
    ASSERT_EQ(3, list->entries().count());

    press(launcher, BTN_DOWN);
    ASSERT_STREQ("comma,name/", list->currentEntry().printable());
    std::string output = press(launcher, BTN_LEFT);
    EXPECT_NE(std::string::npos, output.find("Start: " + app.program() + "\n")) << output;
    // Saved joined, the name reads back as the same text.
    Config saved(configPath.c_str());
    EXPECT_STREQ("comma,name/", saved.lookup("LASTDIR", nullptr).printable());

    const std::string before = readFile(configPath);
    press(launcher, BTN_DOWN);
    ASSERT_STREQ("line\nfeed/", list->currentEntry().printable());
    press(launcher, BTN_LEFT);
    EXPECT_EQ(before, readFile(configPath));
    for (const auto& entry : fs::directory_iterator(app.base()))
        EXPECT_NE(0u, entry.path().filename().string().rfind("Trevandel.newcfg", 0))
            << entry.path();
    expectStillAnswers(launcher);
}

TEST_F(HostileSkin, FifosInPlaceOfStatementFilesAreNotRead)
{
    AppDir app;
    app.copyFont();
    const std::string tree = app.base() + "tree/";
    writeFile(tree + "games/a.gpe", "x");
    HeldFifo dat(tree + "games/Trevandel.dat");
    ASSERT_TRUE(dat.ok());
    ASSERT_TRUE(dat.feed("FILTER=.none\nACTION=exec,/,evil\n"));
    app.writeSkin(pageWith(0, "BUTTON=0\nTYPE=selector,0,0,319,239\nOPTIONS=startdir," + tree + "\n"));

    Launcher launcher;
    startUp(launcher, app);
    press(launcher, 0);
    const FileList* list = launcher.page(0).button(0)->list();
    ASSERT_NE(nullptr, list);
    press(launcher, BTN_DOWN);
    ASSERT_STREQ("games/", list->currentEntry().printable());
    press(launcher, BTN_B);
    EXPECT_EQ(0, list->datAction().count());
    press(launcher, BTN_DOWN);
    EXPECT_STREQ("a.gpe", list->currentEntry().printable());
    expectStillAnswers(launcher);

    // The skin and the configuration as FIFOs: reported like missing files.
    AppDir fifoApp;
    fifoApp.copyFont();
    fs::remove(fifoApp.base() + "Trevandel.cfg");
    HeldFifo config(fifoApp.base() + "Trevandel.cfg");
    HeldFifo skin(fifoApp.base() + "skins/concept/Trevandel.skin");
    ASSERT_TRUE(config.ok() && skin.ok());
    ASSERT_TRUE(skin.feed("PAGE=0\nBACKGROUND=color,ff0000\n"));
    // The first launcher still shows pictures of the image cache.
    ProcessState::reset(ProcessState::CONFIG);
    Launcher second;
    std::string output = startUp(second, fifoApp);
    EXPECT_NE(std::string::npos, output.find("Could not load config in ")) << output;
    EXPECT_NE(std::string::npos, output.find("Could not load skin")) << output;
    driveEveryControl(second, 0);
}

TEST_F(HostileSkin, AMissingFontSheetLeavesTextAndListsBlank)
{
    AppDir app;
    const std::string tree = app.base() + "tree/";
    writeFile(tree + "a.gpe", "x");
    app.writeSkin(pageWith(0, "BACKGROUND=color,0000ff\nBUTTON=0\nTYPE=selector,0,0,319,239\n"
                              "OPTIONS=startdir," + tree + "\nBUTTON=1\n"
                              "TYPE=text,0,0,ffffff,ffffff,no glyphs at all\n"));

    // A sheet loaded by an earlier test in this process stays in use; ctest runs each alone.
    const bool noSheetYet = !gFont.isLoaded();
    Launcher launcher;
    std::string output = startUp(launcher, app);
    EXPECT_EQ(std::string::npos, output.find("Loaded font")) << output;
    driveEveryControl(launcher, 0);
    launcher.setCurrentPage(0);
    press(launcher, 0);
    if (noSheetYet) {
        const FileList* list = launcher.page(0).button(0)->list();
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(0, list->rows());
        // Nothing but the background: no text, no list lines.
        for (int y = 0; y < Video::HEIGHT; y += 7)
            for (int x = 0; x < Video::WIDTH; x += 5)
                ASSERT_EQ(BLUE, shownPixel(x, y)) << x << "," << y;
    }
    expectStillAnswers(launcher);
}

} // namespace
