// Battery level source; on this build a counter running 0..999 and wrapping.
#pragma once

#include <cstdio>

class Battery {
public:
    Battery();
    ~Battery();
    Battery(const Battery&) = delete;
    Battery& operator=(const Battery&) = delete;

    int read();
    // The counter starts again from 0, as in a freshly started process.
    void reset() { m_counter = 0; }

private:
    FILE* m_file;
    unsigned m_counter;
};
