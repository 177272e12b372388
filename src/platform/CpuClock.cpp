// Records the requested CPU clock and display timing, announces each real change and has the
// platform make it.
#include "platform/CpuClock.h"

#include <cstdio>

#include "platform/Platform.h"

CpuClock::CpuClock()
    : m_pll(-1)
    , m_prescaler(-1)
    , m_mhz(-1)
{
}

int CpuClock::set(int pll, int prescaler, int mhz)
{
    if (mhz < MIN_MHZ || mhz > MAX_MHZ)
        return 0;
    if (mhz == m_mhz && pll == m_pll && prescaler == m_prescaler)
        return 1;
    printf("Switching CPU to %i Mhz, display to PLL %i, prescalar %i\n", mhz, pll, prescaler);
    m_pll = pll;
    m_prescaler = prescaler;
    m_mhz = mhz;
    Platform::current().setCpuClock(mhz, pll, prescaler);
    return 1;
}

int CpuClock::apply(const WString::Array& words)
{
    if (words.count() == 3)
        return set(words.at(1).toInt(), words.at(2).toInt(), words.at(0).toInt());
    if (words.count() == 1)
        return set(m_pll, m_prescaler, words.at(0).toInt());
    return 0;
}
