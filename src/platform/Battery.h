// The battery level that button texts show: the platform's reading, or a stand-in counter.
#pragma once

class Battery {
public:
    // What a text shows for a machine without a battery.
    static constexpr const char* NO_BATTERY_TEXT = "--";
    // The widest text a reading gives: the counter runs to 999, a percentage to 100.
    static constexpr const char* WIDEST_TEXT = "999";

    Battery() = default;
    Battery(const Battery&) = delete;
    Battery& operator=(const Battery&) = delete;

    // The platform's reading in percent, or Platform::NO_BATTERY; where the platform cannot
    // tell, the counter, which runs 0..999 and wraps, one step per read.
    int read();
    // A reading as a text shows it: the number, or NO_BATTERY_TEXT.
    static void format(int level, char (&text)[16]);
    // The counter starts again from 0, as in a freshly started process.
    void reset() { m_counter = 0; }

private:
    unsigned m_counter = 0;
};

// The process's one battery, constructed before the font (see launcher/Globals.cpp).
extern Battery gBattery;
