// Fuzzes a whole start-up on an arbitrary skin, then drives the pages with codes from the input.
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "core/ButtonMask.h"
#include "core/Launcher.h"

namespace {
const ButtonMask kMasks[] = {0,         BTN_LEFT,  BTN_RIGHT, BTN_UP, BTN_DOWN, BTN_B,
                             BTN_START, BTN_L,     BTN_R,     BTN_X,  BTN_A,    BTN_UP | BTN_LEFT};
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    std::string skin = input.piece();
    const std::string base = fuzzDirectory();
    static bool prepared = false;
    if (!prepared) {
        std::string command = "mkdir -p '" + base + "skins/fuzz' '" + base + "tree/sub'";
        if (system(command.c_str()) != 0)
            abort();
        writeFile(base + "tree/a.gpe", std::string("x"));
        writeFile(base + "tree/sub/b.gpe", std::string("x"));
        prepared = true;
    }
    writeFile(base + "Trevandel.cfg", std::string("SKIN=fuzz\nKEYBOARD_RATE=0,500\n"));
    writeFile(base + "skins/fuzz/Trevandel.skin", skin);

    // The program path does not exist, so a "config" restart fails and the loop carries on.
    std::string program = base + "no-such-launcher";
    char* argv[] = {&program[0], nullptr};
    Launcher launcher;
    if (launcher.start(1, argv) != 0)
        return 0;
    for (int turn = 0; turn < 64 && !input.empty(); turn++) {
        ButtonMask mask = kMasks[input.byte() % (sizeof kMasks / sizeof kMasks[0])];
        if (launcher.handleMask(mask) == Launcher::QUIT)
            break;
    }
    return 0;
}
