// The Linux virtual terminal the launcher may run on, kept from drawing over the menu.
#pragma once

class Console {
public:
    Console() = default;
    ~Console() { giveBack(); }
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // Switches the terminal to graphics mode (no text, no cursor) if the process runs on a
    // virtual terminal; nothing otherwise. false when there is none.
    bool takeOver();
    // Puts the terminal's mode back as it was.
    void giveBack();
    // The same from a signal handler, with async-signal-safe calls only.
    static void giveBackFromSignal();
};
