// Record of the requested CPU clock and display timing; announces and makes every real change.
#pragma once

#include "text/WString.h"

class CpuClock {
public:
    static const int MIN_MHZ = 33;
    static const int MAX_MHZ = 320;

    CpuClock();
    // 1 when valid (changed or not), 0 when refused.
    int set(int pll, int prescaler, int mhz);
    // One word (MHz) or three (MHz, PLL, prescaler); 0 for any other count.
    int apply(const WString::Array& words);
    int pll() const { return m_pll; }
    int prescaler() const { return m_prescaler; }
    int mhz() const { return m_mhz; }

private:
    int m_pll;
    int m_prescaler;
    int m_mhz;
};

// The process's one clock record, constructed after the image cache (see launcher/Globals.cpp).
extern CpuClock gCpuClock;
