// Start-up against a temporary application directory, the NavCode table, key repeat and actions.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "launcher/LauncherTestSupport.h"
#include "launcher/Globals.h"
#include "platform/Input.h"
#include "launcher/Launcher.h"
#include "platform/Video.h"
#include "skin/Page.h"

namespace {

using coretest::drainEvents;
using coretest::press;
using coretest::readFile;
using coretest::release;

// The start-up tests' application directory: a configuration and skins they write themselves.
class AppDir : public coretest::AppDir {
public:
    AppDir() : coretest::AppDir("trevandel-core") {}
};

class LauncherTest : public coretest::LauncherFixture {
protected:
    // Runs one iteration and returns what it printed.
    static std::string iterateOutput(Launcher& launcher, Launcher::Step* step)
    {
        testing::internal::CaptureStdout();
        *step = launcher.iterate();
        fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }

    // Runs iterations until one draws a frame; returns how many it took (0 when none in limit).
    static int iterationsToNextFrame(Launcher& launcher, int limit)
    {
        for (int i = 1; i <= limit; ++i) {
            unsigned frames = Video::flipCount();
            EXPECT_EQ(launcher.iterate(), Launcher::CONTINUE);
            if (Video::flipCount() != frames)
                return i;
        }
        return 0;
    }
};

} // namespace

TEST(LauncherBaseDirectory, IsCutAfterTheLastSlash)
{
    struct Case {
        const char* argv0;
        const char* base;
    };
    const Case cases[] = {
        {"/mnt/sd/apps/launch/prog", "/mnt/sd/apps/launch/"},
        {"games\\launch\\prog", "games/launch/"},
        {"\"/mnt/sd/apps/prog\"", "/mnt/sd/apps/"},
        {"\"rel/dir\\prog", "rel/dir/"},
        {"./trevandel", "./"},
        {"/trevandel", "/"},
        {"dir/", "dir/"},
        {"trevandel", ""},
        {"\"trevandel\"", ""},
        {"", ""},
        {nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argv0 ? c.argv0 : "(none)");
        WString base = Launcher::baseDirectoryFrom(c.argv0);
        EXPECT_FALSE(base.isAbsent());
        EXPECT_STREQ(base.printable(), c.base);
    }
}

TEST(LauncherNavCode, FirstMatchingRowWins)
{
    struct Case {
        ButtonMask mask;
        int nav;
    };
    const Case cases[] = {
        {0, 0},
        {BTN_LEFT, 1},
        {BTN_RIGHT, 2},
        {BTN_UP, 3},
        {BTN_DOWN, 4},
        {BTN_UP | BTN_LEFT, 0},
        {BTN_UP | BTN_LEFT | BTN_L, 7},
        {BTN_LEFT | BTN_RIGHT | BTN_B, 5},
        {BTN_LEFT | BTN_L, 1},
        {BTN_DOWN | BTN_START, 4},
        {BTN_L, 7},
        {BTN_R, 8},
        {BTN_L | BTN_R, 7},
        {BTN_R | BTN_B, 8},
        {BTN_B, 5},
        {BTN_PUSH, 5},
        {BTN_B | BTN_X, 5},
        {BTN_START, 6},
        {BTN_X, 6},
        {BTN_SELECT, 0},
        {BTN_A, 0},
        {BTN_Y, 0},
        {BTN_VOLUP | BTN_VOLDOWN, 0},
        {BTN_SELECT | BTN_X, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mask 0x" << std::hex << c.mask);
        EXPECT_EQ(Launcher::navCode(c.mask), c.nav);
    }
}

TEST_F(LauncherTest, StartUpReadsConfigurationAndSkin)
{
    AppDir app;
    app.copyFont();
    app.writeConfig("SKIN=test\nKEYBOARD_RATE=0,1000\n");
    app.writeSkin("test",
                  "VARIABLE=GREETING,hello,world\n"
                  "VARIABLE=lonely\n"
                  "STARTPAGE=3\n"
                  "STARTPAGE=200\n"
                  "BACKGROUND=color,FF0000\n"
                  "PAGE=%GREETING[1]%\n"
                  "PAGE=2\n"
                  "BACKGROUND=image,%skindir%bg.png,%GREETING%\n"
                  "PAGE=7,8\n"
                  "RETURN=page,1\n"
                  "PAGE=128\n"
                  "BACKGROUND=color,00FF00\n"
                  "PAGE=0\n"
                  "VARIABLE=NUMBER,%version%,%basedir%\n");
    Launcher launcher;
    std::string output = startUp(launcher, app);

    const std::string base = app.base();
    EXPECT_EQ(launcher.baseDirectory(), base.c_str());
    EXPECT_EQ(launcher.programPath(), app.program().c_str());
    EXPECT_EQ(output.rfind("Basedir is " + base + "\nLoaded font: ", 0), 0u) << output;
    const char* expectedLines[] = {"CFG: SKIN=test\n", "CFG: basedir=", "CFG: version=Trevandel 0.4\n",
                                   "CFG: GREETING=hello,world\n"};
    for (const char* line : expectedLines)
        EXPECT_NE(output.find(line), std::string::npos) << line << " missing from\n" << output;
    EXPECT_NE(output.find("CFG: basedir=" + base + "\n"), std::string::npos);
    EXPECT_NE(output.find("CFG: skindir=" + base + "skins/test/\n"), std::string::npos);
    EXPECT_NE(output.find("CFG: NUMBER=Trevandel 0.4," + base + "\n"), std::string::npos);
    EXPECT_EQ(output.find("lonely"), std::string::npos);
    size_t rate = output.find("Keyboard rate set to 0, 33\n");
    ASSERT_NE(rate, std::string::npos) << output;
    EXPECT_GT(rate, output.rfind("CFG: "));
    EXPECT_EQ(output.find("Could not load"), std::string::npos);

    EXPECT_EQ(launcher.firstDelay(), 0);
    EXPECT_EQ(launcher.repeatInterval(), 33);
    EXPECT_EQ(launcher.currentPage(), 3);

    // The statement before any valid PAGE and the one after PAGE=128 were dropped.
    EXPECT_TRUE(launcher.page(0).backgroundType().isEmpty());
    EXPECT_TRUE(launcher.page(127).backgroundType().isEmpty());
    // A PAGE value that is no number selects page 0, which received nothing else.
    EXPECT_STREQ(launcher.page(2).backgroundType().printable(), "image");
    ASSERT_EQ(launcher.page(2).backgroundArgs().count(), 2);
    EXPECT_EQ(launcher.page(2).backgroundArgs().at(0), (base + "skins/test/bg.png").c_str());
    EXPECT_EQ(launcher.page(2).backgroundArgs().at(1), "hello,world");
    // PAGE with two values is an ordinary statement for the page being filled.
    ASSERT_EQ(launcher.page(2).returnAction().count(), 2);
    EXPECT_EQ(launcher.page(2).returnAction().at(0), "page");
    EXPECT_EQ(launcher.page(7).returnAction().count(), 0);
    EXPECT_EQ(launcher.page(8).returnAction().count(), 0);

    WString::Array values;
    EXPECT_FALSE(gConfig.get("lonely", values));
    ASSERT_TRUE(gConfig.get("GREETING", values));
    EXPECT_EQ(values.count(), 2);
}

TEST_F(LauncherTest, MissingConfigurationAndSkinAreReported)
{
    AppDir app;
    Launcher launcher;
    std::string output = startUp(launcher, app);
    const std::string base = app.base();
    const std::string basedir = "Basedir is " + base + "\n";
    const std::string noConfig = "Could not load config in " + base + "Trevandel.cfg\n";
    const std::string noSkin = "Could not load skin, expected file 'Trevandel.skin' in directory " + base +
                               "skins/concept/\n";
    size_t basedirAt = output.find(basedir);
    size_t configAt = output.find(noConfig);
    size_t skinAt = output.find(noSkin);
    size_t dumpAt = output.find("CFG: skindir=" + base + "skins/concept/\n");
    ASSERT_EQ(basedirAt, 0u) << output;
    ASSERT_NE(configAt, std::string::npos) << output;
    ASSERT_NE(skinAt, std::string::npos) << output;
    ASSERT_NE(dumpAt, std::string::npos) << output;
    EXPECT_LT(basedirAt, configAt);
    EXPECT_LT(configAt, skinAt);
    EXPECT_LT(skinAt, dumpAt);
    EXPECT_EQ(output.find("Keyboard rate"), std::string::npos);
    EXPECT_EQ(launcher.currentPage(), 0);
    EXPECT_EQ(launcher.firstDelay(), 250);
    EXPECT_EQ(launcher.repeatInterval(), 33);
}

TEST_F(LauncherTest, ASkinThatCannotBeLoadedFallsBackToTheDefaultSkin)
{
    struct Case {
        bool defaultSkinExists;
        const char* skindir;
    };
    const Case cases[] = {{true, "skins/concept/"}, {false, "skins/gone/"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.skindir);
        ProcessState::reset(ProcessState::CONFIG);
        AppDir app;
        app.writeConfig("SKIN=gone\n");
        if (c.defaultSkinExists)
            app.writeSkin("concept", "PAGE=0\nBACKGROUND=image,%skindir%bg.png\n");
        Launcher launcher;
        std::string output = startUp(launcher, app);
        EXPECT_NE(output.find("Could not load skin, expected file 'Trevandel.skin' in directory " +
                              app.skinDir("gone") + "\n"),
                  std::string::npos)
            << output;
        const std::string skindir = app.base() + c.skindir;
        EXPECT_STREQ(gConfig.lookup("skindir", "").printable(), skindir.c_str());
        const Page& first = launcher.page(0);
        if (c.defaultSkinExists) {
            ASSERT_EQ(first.backgroundArgs().count(), 1);
            EXPECT_STREQ(first.backgroundArgs().at(0).printable(), (skindir + "bg.png").c_str());
        } else {
            EXPECT_TRUE(first.backgroundType().isEmpty());
        }
    }
}

TEST_F(LauncherTest, ARelativeStartPathIsMadeAbsoluteBeforeTheChangeOfDirectory)
{
    AppDir app;
    // Stands for the handheld's application directory, which test machines lack.
    coretest::AppDir handheld("trevandel-gp2x");
    app.writeConfig("SKIN=test\n");
    app.writeSkin("test", "PAGE=0\nRETURN=config,SKIN,other\n");
    ASSERT_EQ(chdir(app.base().c_str()), 0);
    Launcher launcher;
    launcher.setApplicationDirectory(handheld.base().c_str());
    std::string program = "./trevandel";
    char* argv[] = {&program[0], nullptr};
    testing::internal::CaptureStdout();
    ASSERT_EQ(launcher.start(1, argv), 0);
    fflush(stdout);
    const std::string output = testing::internal::GetCapturedStdout();
    drainEvents();
    EXPECT_EQ(output.rfind("Basedir is " + app.base() + "\n", 0), 0u) << output;
    EXPECT_EQ(output.find("Could not load"), std::string::npos) << output;
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
    EXPECT_EQ(std::string(cwd) + "/", handheld.base());

    // The change is saved beside the launcher and the restart runs it by its absolute path.
    Launcher::Step step;
    iterateOutput(launcher, &step);
    press(BTN_X);
    EXPECT_EQ(iterateOutput(launcher, &step),
              "Action is config--SKIN--other\nStart: " + app.program() + "\n");
    EXPECT_EQ(coretest::testPlatform().restarts, std::vector<std::string>{app.program()});
    EXPECT_EQ(readFile(app.base() + "Trevandel.cfg"), "SKIN=other\n");
    EXPECT_FALSE(std::filesystem::exists(handheld.base() + "Trevandel.cfg"));
}

TEST_F(LauncherTest, KeyboardRateKeepsDefaultsForRejectedValues)
{
    struct Case {
        std::vector<const char*> values;
        int firstDelay;
        int interval;
        const char* line;
    };
    const Case cases[] = {
        {{"0", "1000"}, 0, 33, "Keyboard rate set to 0, 33\n"},
        {{"9999", "999"}, 9999, 1, "Keyboard rate set to 9999, 1\n"},
        {{"10000", "10"}, 250, 100, "Keyboard rate set to 250, 100\n"},
        {{"-1", "0"}, 250, 33, "Keyboard rate set to 250, 33\n"},
        {{"100"}, 100, 33, "Keyboard rate set to 100, 33\n"},
        {{"abc", "30"}, 0, 33, "Keyboard rate set to 0, 33\n"},
        {{"50", "1", "7"}, 50, 1000, "Keyboard rate set to 50, 1000\n"},
        {{}, 250, 33, "Keyboard rate set to 250, 33\n"},
        {{"4294967296", "4294967297"}, 250, 33, "Keyboard rate set to 250, 33\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        WString::Array values;
        for (const char* value : c.values)
            values.append(WString(value));
        gConfig.set("KEYBOARD_RATE", values);
        Launcher launcher;
        testing::internal::CaptureStdout();
        launcher.readKeyboardRate();
        fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
        EXPECT_EQ(launcher.firstDelay(), c.firstDelay);
        EXPECT_EQ(launcher.repeatInterval(), c.interval);
    }
}

TEST_F(LauncherTest, HeldDirectionRepeatsAfterTheFirstDelayThenAtTheInterval)
{
    AppDir app;
    app.writeConfig("SKIN=test\n");
    app.writeSkin("test", "PAGE=0\nBACKGROUND=color,0000FF\n");
    Launcher launcher;
    startUp(launcher, app);

    // The first turn always draws, without any input.
    EXPECT_EQ(iterationsToNextFrame(launcher, 1), 1);
    EXPECT_EQ(Video::backBuffer(Video::bufferIndex() ^ 1)[0], 0x001F);
    EXPECT_EQ(iterationsToNextFrame(launcher, 50), 0);

    press(BTN_LEFT);
    EXPECT_EQ(iterationsToNextFrame(launcher, 1), 1);
    EXPECT_EQ(iterationsToNextFrame(launcher, 400), 251);
    EXPECT_EQ(iterationsToNextFrame(launcher, 100), 34);
    EXPECT_EQ(iterationsToNextFrame(launcher, 100), 34);

    // Straight to another direction: the repeat count survives, so the short interval applies.
    release(BTN_LEFT);
    press(BTN_RIGHT);
    EXPECT_EQ(iterationsToNextFrame(launcher, 1), 1);
    EXPECT_EQ(iterationsToNextFrame(launcher, 1), 1);
    EXPECT_EQ(iterationsToNextFrame(launcher, 100), 34);

    // Resting without a direction resets it: the long delay again.
    release(BTN_RIGHT);
    EXPECT_EQ(iterationsToNextFrame(launcher, 1), 1);
    EXPECT_EQ(iterationsToNextFrame(launcher, 2), 0);
    press(BTN_UP);
    EXPECT_EQ(iterationsToNextFrame(launcher, 1), 1);
    EXPECT_EQ(iterationsToNextFrame(launcher, 400), 251);

    // A button held alone acts once per press.
    release(BTN_UP);
    press(BTN_A);
    EXPECT_EQ(iterationsToNextFrame(launcher, 1), 1);
    EXPECT_EQ(iterationsToNextFrame(launcher, 1), 1);
    EXPECT_EQ(iterationsToNextFrame(launcher, 50), 0);
}

TEST_F(LauncherTest, BackPressRepeatsWithADiagonalAndRunsItsAction)
{
    AppDir app;
    app.writeConfig("SKIN=test\nKEYBOARD_RATE=3,500\n");
    app.writeSkin("test", "PAGE=0\nRETURN=exec,/mnt/sd/emu,./emu.gpe,rom.bin\n");
    Launcher launcher;
    startUp(launcher, app);
    Launcher::Step step;
    EXPECT_EQ(iterateOutput(launcher, &step), "");

    const std::string launch = "Action is exec--/mnt/sd/emu--./emu.gpe--rom.bin\n"
                               "CHDIR: /mnt/sd/emu\nRUN00: ./emu.gpe\nRUN01: rom.bin\n";
    press(BTN_X);
    EXPECT_EQ(iterateOutput(launcher, &step), launch);
    EXPECT_EQ(step, Launcher::CONTINUE);
    press(BTN_UP | BTN_LEFT);
    EXPECT_EQ(iterateOutput(launcher, &step), launch);
    std::string repeats;
    for (int i = 0; i < 4; ++i)
        repeats += iterateOutput(launcher, &step);
    EXPECT_EQ(repeats, launch);
    repeats.clear();
    for (int i = 0; i < 3; ++i)
        repeats += iterateOutput(launcher, &step);
    EXPECT_EQ(repeats, launch);
}

TEST_F(LauncherTest, PageActionSwitchesPagesInRangeWithoutPrinting)
{
    AppDir app;
    app.writeConfig("SKIN=test\n");
    app.writeSkin("test",
                  "PAGE=0\nRETURN=page,4\n"
                  "PAGE=4\nRETURN=page,200\nBACKGROUND=color,00FF00\n");
    Launcher launcher;
    startUp(launcher, app);
    Launcher::Step step;
    EXPECT_EQ(iterateOutput(launcher, &step), "");

    press(BTN_X);
    EXPECT_EQ(iterateOutput(launcher, &step), "");
    EXPECT_EQ(launcher.currentPage(), 4);
    // The new page is drawn in the same turn.
    EXPECT_EQ(Video::backBuffer(Video::bufferIndex() ^ 1)[0], 0x07C0);

    release(BTN_X);
    EXPECT_EQ(iterateOutput(launcher, &step), "");
    press(BTN_X);
    EXPECT_EQ(iterateOutput(launcher, &step), "");
    EXPECT_EQ(launcher.currentPage(), 4);

    WString::Array threeWords = WString("page,1,extra").split(",");
    testing::internal::CaptureStdout();
    EXPECT_EQ(launcher.dispatch(threeWords), Launcher::CONTINUE);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Action is page--1--extra\n");
    EXPECT_EQ(launcher.currentPage(), 4);

    WString::Array negative = WString("page,-1").split(",");
    EXPECT_EQ(launcher.dispatch(negative), Launcher::CONTINUE);
    EXPECT_EQ(launcher.currentPage(), 4);
    WString::Array last = WString("page,127").split(",");
    EXPECT_EQ(launcher.dispatch(last), Launcher::CONTINUE);
    EXPECT_EQ(launcher.currentPage(), 127);
    WString::Array huge = WString("page,4294967297").split(",");
    EXPECT_EQ(launcher.dispatch(huge), Launcher::CONTINUE);
    EXPECT_EQ(launcher.currentPage(), 127);
}

TEST_F(LauncherTest, QuitRequestsEndTheLoop)
{
    AppDir app;
    app.writeConfig("SKIN=test\n");
    app.writeSkin("test", "PAGE=0\nRETURN=quit\n");
    Launcher launcher;
    startUp(launcher, app);
    Launcher::Step step;
    EXPECT_EQ(iterateOutput(launcher, &step), "");

    press(BTN_START);
    iterateOutput(launcher, &step);
    EXPECT_EQ(step, Launcher::QUIT);
    drainEvents();

    press(BTN_SELECT);
    EXPECT_EQ(iterateOutput(launcher, &step), "");
    EXPECT_EQ(step, Launcher::CONTINUE);
    press(BTN_START);
    EXPECT_EQ(iterateOutput(launcher, &step), "");
    EXPECT_EQ(step, Launcher::QUIT);
    drainEvents();
    EXPECT_EQ(iterateOutput(launcher, &step), "");

    coretest::pressQuitKey();
    EXPECT_EQ(iterateOutput(launcher, &step), "");
    EXPECT_EQ(step, Launcher::QUIT);

    EXPECT_EQ(iterateOutput(launcher, &step), "");
    EXPECT_EQ(step, Launcher::CONTINUE);
    press(BTN_X);
    EXPECT_EQ(iterateOutput(launcher, &step), "Action is quit\n");
    EXPECT_EQ(step, Launcher::QUIT);
}

TEST_F(LauncherTest, ConfigActionRewritesTheFileAndRestarts)
{
    AppDir app;
    app.writeConfig("//settings\nSKIN=test\nSPEED_MENU=123,7,3\n");
    app.writeSkin("test", "PAGE=0\nRETURN=config,SKIN,other\n");
    Launcher launcher;
    startUp(launcher, app);
    const std::string missing = app.base() + "no-such-program";
    launcher.setProgramPath(missing.c_str());
    Launcher::Step step;
    iterateOutput(launcher, &step);
    EXPECT_EQ(gCpuClock.mhz(), 123);
    EXPECT_EQ(gCpuClock.pll(), 7);
    EXPECT_EQ(gCpuClock.prescaler(), 3);
    // The menu speed follows drawn frames only: an idle turn leaves a changed clock alone.
    testing::internal::CaptureStdout();
    gCpuClock.set(1, 1, 50);
    testing::internal::GetCapturedStdout();
    iterateOutput(launcher, &step);
    EXPECT_EQ(gCpuClock.mhz(), 50);
    press(BTN_A);
    iterateOutput(launcher, &step);
    EXPECT_EQ(gCpuClock.mhz(), 123);
    release(BTN_A);
    iterateOutput(launcher, &step);

    press(BTN_X);
    unsigned frames = Video::flipCount();
    EXPECT_EQ(iterateOutput(launcher, &step), "Action is config--SKIN--other\nStart: " + missing + "\n");
    EXPECT_EQ(step, Launcher::CONTINUE);
    // A failed restart carries on and still draws.
    EXPECT_EQ(Video::flipCount(), frames + 1);
    EXPECT_EQ(readFile(app.base() + "Trevandel.cfg"), "//settings\nSKIN=other\nSPEED_MENU=123,7,3\n");
    // No new file of the save is left beside it, under any name.
    for (const auto& entry : std::filesystem::directory_iterator(app.base()))
        EXPECT_NE(0u, entry.path().filename().string().rfind("Trevandel.newcfg", 0))
            << entry.path();

    // Without a key word there is nothing to save and no restart.
    WString::Array bare = WString("config").split(",");
    testing::internal::CaptureStdout();
    EXPECT_EQ(launcher.dispatch(bare), Launcher::CONTINUE);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Action is config\n");
    EXPECT_EQ(readFile(app.base() + "Trevandel.cfg"), "//settings\nSKIN=other\nSPEED_MENU=123,7,3\n");

    WString::Array other = WString("launch,x").split(",");
    testing::internal::CaptureStdout();
    EXPECT_EQ(launcher.dispatch(other), Launcher::CONTINUE);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Action is launch--x\n");
}

TEST_F(LauncherTest, WithoutArgumentZeroPathsAreRelativeAndNothingIsRestarted)
{
    AppDir app;
    app.copyFont();
    app.writeConfig("SKIN=test\n");
    app.writeSkin("test", "PAGE=0\nRETURN=config,SKIN,other\n");
    ASSERT_EQ(0, chdir(app.base().c_str()));
    char* argv[] = {nullptr};
    Launcher launcher;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, launcher.start(0, argv));
    fflush(stdout);
    std::string output = testing::internal::GetCapturedStdout();
    drainEvents();
    EXPECT_EQ(0u, output.rfind("Basedir is \nLoaded font: ", 0)) << output;
    EXPECT_NE(std::string::npos, output.find("CFG: skindir=skins/test/\n")) << output;
    EXPECT_EQ(std::string::npos, output.find("Could not load")) << output;
    EXPECT_TRUE(launcher.programPath().isAbsent());

    Launcher::Step step;
    iterateOutput(launcher, &step);
    press(BTN_X);
    output = iterateOutput(launcher, &step);
    EXPECT_EQ("Action is config--SKIN--other\nStart: \n", output);
    EXPECT_TRUE(coretest::testPlatform().restarts.empty());
    EXPECT_EQ("SKIN=other\n", readFile(app.base() + "Trevandel.cfg"));
}
