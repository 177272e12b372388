// Fuzzes a whole start-up on an arbitrary skin, then drives the pages with codes from the input.
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "platform/ButtonMask.h"
#include "launcher/Launcher.h"
#include "launcher/ProcessState.h"

namespace {
const ButtonMask kMasks[] = {0,         BTN_LEFT,  BTN_RIGHT, BTN_UP, BTN_DOWN, BTN_B,
                             BTN_START, BTN_L,     BTN_R,     BTN_X,  BTN_A,    BTN_UP | BTN_LEFT};
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
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
        writeFile(base + "tree/sub/Trevandel.dat", std::string("FILTER=.gpe\nACTION=exec,%cwd%,x\n"));
        // Real pictures and the glyph sheet, so that skins reach the drawing code.
        const std::string font = "ARIALN.TTF_0_12_255_255_255.png";
        writeFile(base + font, readFile(std::string(FUZZ_DATA_DIR) + "/" + font));
        for (const char* name : {"rgb.png", "rgba.png", "palette.png"})
            writeFile(base + "skins/fuzz/" + name,
                      readFile(std::string(FUZZ_CORPUS_DIR) + "/png/" + name));
        prepared = true;
    }
    writeFile(base + "Trevandel.cfg",
              std::string("SKIN=fuzz\nKEYBOARD_RATE=0,500\nSPEED_MENU=200,1,2\nSPEED_LOADING=100\n"));
    writeFile(base + "skins/fuzz/Trevandel.skin", skin);

    // Each input starts as a fresh process would, whatever the one before left behind.
    ProcessState::reset();
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
