// The battery level that button texts show: the platform's reading, or a stand-in counter.
#pragma once

class Battery {
public:
    Battery() = default;
    Battery(const Battery&) = delete;
    Battery& operator=(const Battery&) = delete;

    // The platform's reading in percent where it has one; else the counter, which runs
    // 0..999 and wraps, one step per read.
    int read();
    // The counter starts again from 0, as in a freshly started process.
    void reset() { m_counter = 0; }

private:
    unsigned m_counter = 0;
};

// The process's one battery, constructed before the font (see launcher/Globals.cpp).
extern Battery gBattery;
