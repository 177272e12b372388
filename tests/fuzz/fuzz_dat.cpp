// Fuzzes Trevandel.dat files and directory lists over a generated tree.
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "config/Config.h"
#include "launcher/ProcessState.h"
#include "platform/Video.h"
#include "skin/FileList.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::vector<uint16_t> screen(Video::WIDTH * Video::HEIGHT);
    Video::screen = screen.data();
    const std::string base = fuzzDirectory();
    static bool prepared = false;
    if (!prepared) {
        std::string command = "mkdir -p '" + base + "games/emu/roms' '" + base + "games/emu/sub' '" +
                              base + "games/other'";
        if (system(command.c_str()) != 0)
            abort();
        for (const char* name : {"games/a.gpe", "games/B.GPE", "games/emu/emu.gpe",
                                 "games/emu/roms/x.rom", "games/emu/roms/y.smc", "games/emu/sub/z"})
            writeFile(base + name, std::string("x"));
        prepared = true;
    }
    // Each input starts as a fresh process would: no clock set by an earlier Trevandel.dat.
    ProcessState::reset();
    FuzzInput input(data, size);
    writeFile(base + "games/emu/Trevandel.dat", input.piece());
    writeFile(base + "games/emu/sub/Trevandel.dat", input.piece());

    Config options;
    WString::Array start;
    start.append(WString((base + "games/").c_str()));
    options.set("startdir", start);
    WString::Array filters;
    filters.append(".gpe");
    filters.append("");
    options.set("filter", filters);
    FileList list(0, 0, 319, 239, options);
    list.changeDir("emu/");
    for (int turn = 0; turn < 48 && !input.empty(); turn++) {
        static const NavCode codes[] = {NAV_UP, NAV_DOWN, NAV_ACTIVATE, NAV_PAGE_UP, NAV_PAGE_DOWN};
        NavCode nav = codes[input.byte() % 5];
        WString::Array action;
        list.handleInput(action, nav);
        list.draw(turn % 2 == 0);
        (void)list.currentEntry().length();
        (void)list.currentDirectory().length();
    }
    return 0;
}
