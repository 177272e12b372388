// The dry-run launch: directory line and numbered argument lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "launcher/runProgram.h"

namespace {

WString::Array words(std::initializer_list<const char*> items)
{
    WString::Array list;
    for (const char* item : items)
        list.append(WString(item));
    return list;
}

std::string launchOutput(const WString::Array& action)
{
    testing::internal::CaptureStdout();
    runProgram(action);
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

} // namespace

TEST(runProgram, PrintsDirectoryAndArguments)
{
    struct Case {
        WString::Array action;
        const char* expected;
    };
    const Case cases[] = {
        {words({"exec", "/mnt/sd/emu", "./emu.gpe", "rom.bin"}),
         "CHDIR: /mnt/sd/emu\nRUN00: ./emu.gpe\nRUN01: rom.bin\n"},
        {words({"exec", "", "./emu.gpe"}), "RUN00: ./emu.gpe\n"},
        {words({"exec", "/mnt/sd"}), "CHDIR: /mnt/sd\n"},
        {words({"exec", nullptr, "prog", ""}), "RUN00: prog\nRUN01: \n"},
        {words({"exec", "/d", "prog", nullptr, "third"}), "CHDIR: /d\nRUN00: prog\nRUN02: third\n"},
        {words({"exec"}), ""},
        {words({}), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(launchOutput(c.action), c.expected);
    }
}

TEST(runProgram, DropsWordsBeyondTheArgumentSlots)
{
    WString::Array action = words({"exec", ""});
    for (int i = 0; i < 300; ++i)
        action.append(WString().format("arg%i", i));
    std::string expected;
    char line[32];
    for (int slot = 0; slot < RUN_ARGUMENT_SLOTS; ++slot) {
        snprintf(line, sizeof(line), "RUN%02i: arg%i\n", slot, slot);
        expected += line;
    }
    std::string output = launchOutput(action);
    EXPECT_EQ(output, expected);
    EXPECT_NE(output.find("RUN255: arg255\n"), std::string::npos);
    EXPECT_EQ(output.find("RUN256"), std::string::npos);
}
