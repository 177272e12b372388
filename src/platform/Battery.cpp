// The battery level: asked of the platform, with the counter standing in where it has none.
#include "platform/Battery.h"

#include "platform/Platform.h"

namespace {
const unsigned LEVEL_RANGE = 1000;
}

int Battery::read()
{
    int percent = 0;
    if (Platform::current().readBattery(percent))
        return percent;
    // Kept inside the range so the sequence never jumps when the counter would overflow.
    int level = int(m_counter % LEVEL_RANGE);
    m_counter = (m_counter + 1) % LEVEL_RANGE;
    return level;
}
