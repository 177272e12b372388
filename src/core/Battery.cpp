// Battery level source: a counter standing in for the handheld's battery reading.
#include "core/Battery.h"

namespace {
const unsigned LEVEL_RANGE = 1000;
}

Battery::Battery()
    : m_file(nullptr)
    , m_counter(0)
{
}

Battery::~Battery()
{
    if (m_file)
        fclose(m_file);
}

int Battery::read()
{
    // Kept inside the range so the sequence never jumps when the counter would overflow.
    int level = int(m_counter % LEVEL_RANGE);
    m_counter = (m_counter + 1) % LEVEL_RANGE;
    return level;
}
