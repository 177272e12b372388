// Helpers the launcher tests share: file access, a temporary application directory, a start-up
// fixture on the headless platform, control events.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "launcher/Globals.h"
#include "launcher/Launcher.h"
#include "launcher/ProcessState.h"
#include "platform/HeadlessPlatform.h"
#include "platform/Input.h"

namespace coretest {

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Creates the parent directories first, so a test can write anywhere below its tree.
inline void writeFile(const std::string& path, const std::string& content)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

// A throw-away application directory below /tmp, removed with everything in it.
class AppDir {
public:
    // prefix names the directory, so a leftover one shows which test program made it.
    explicit AppDir(const std::string& prefix)
    {
        std::string pattern = "/tmp/" + prefix + "-XXXXXX";
        const char* made = mkdtemp(&pattern[0]);
        m_path = made ? made : "";
    }
    ~AppDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    AppDir(const AppDir&) = delete;
    AppDir& operator=(const AppDir&) = delete;

    std::string base() const { return m_path + "/"; }
    // Never created: only its directory part matters to start-up.
    std::string program() const { return base() + "trevandel"; }
    std::string skinDir(const std::string& name) const { return base() + "skins/" + name + "/"; }
    void writeConfig(const std::string& text) const { writeFile(base() + "Trevandel.cfg", text); }
    void writeSkin(const std::string& name, const std::string& text) const
    {
        writeFile(skinDir(name) + "Trevandel.skin", text);
    }
    void copyFont() const
    {
        const char* font = "ARIALN.TTF_0_12_255_255_255.png";
        std::filesystem::copy_file(std::string(TREVANDEL_DATA_DIR) + "/" + font, base() + font);
    }

private:
    std::string m_path;
};

// The platform the launcher tests run on: no devices, a queue of events, restarts recorded.
class TestPlatform : public HeadlessPlatform {
public:
    void restart(const char* path) override { restarts.push_back(path); }
    std::vector<std::string> restarts;
};

inline TestPlatform& testPlatform()
{
    static TestPlatform platform;
    return platform;
}

// Drops queued events and held buttons, so one step's input cannot leak into the next.
inline void drainEvents()
{
    testPlatform().clearEvents();
    Input::reset();
}

inline void press(ButtonMask controls) { testPlatform().push({InputEvent::PRESS, controls, 0}); }
inline void release(ButtonMask controls) { testPlatform().push({InputEvent::RELEASE, controls, 0}); }
// The back end's own quit key (Escape on the desktop).
inline void pressQuitKey() { testPlatform().push({InputEvent::QUIT_KEY, 0, 0}); }

// Runs each test on the test platform in the state of a fresh process, and returns to the
// working directory afterwards because start-up changes into the application directory.
class LauncherFixture : public testing::Test {
protected:
    void SetUp() override
    {
        Platform::install(&testPlatform());
        testPlatform().restarts.clear();
        drainEvents();
        ASSERT_TRUE(getcwd(m_cwd, sizeof(m_cwd)) != nullptr);
        ProcessState::reset();
    }
    void TearDown() override
    {
        Platform::install(nullptr);
        ProcessState::reset();
        if (chdir(m_cwd) != 0)
            ADD_FAILURE() << "could not return to " << m_cwd;
    }

    // Starts the launcher from the app directory and returns what start-up printed.
    static std::string startUp(Launcher& launcher, const AppDir& app)
    {
        std::string program = app.program();
        char* argv[] = {&program[0], nullptr};
        testing::internal::CaptureStdout();
        int result = launcher.start(1, argv);
        fflush(stdout);
        std::string output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(0, result);
        drainEvents();
        return output;
    }

private:
    char m_cwd[4096];
};

} // namespace coretest
