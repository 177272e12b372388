// The battery level: asked of the platform, with the counter standing in where it cannot tell.
#include "platform/Battery.h"

#include <cstdio>

#include "platform/Platform.h"

namespace {
const unsigned LEVEL_RANGE = 1000;
}

int Battery::read()
{
    const int percent = Platform::current().batteryPercent();
    if (percent != Platform::NO_READING)
        return percent;
    // Kept inside the range so the sequence never jumps when the counter would overflow.
    int level = int(m_counter % LEVEL_RANGE);
    m_counter = (m_counter + 1) % LEVEL_RANGE;
    return level;
}

void Battery::format(int level, char (&text)[16])
{
    if (level == Platform::NO_BATTERY)
        snprintf(text, sizeof(text), "%s", NO_BATTERY_TEXT);
    else
        snprintf(text, sizeof(text), "%i", level);
}
