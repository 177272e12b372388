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

private:
    FILE* m_file;
    unsigned m_counter;
};
