// The headless platform's event queue and working directory.
#include "platform/HeadlessPlatform.h"

#include <unistd.h>

bool HeadlessPlatform::nextEvent(InputEvent& event)
{
    if (m_events.empty())
        return false;
    event = m_events.front();
    m_events.pop_front();
    return true;
}

bool HeadlessPlatform::enterDirectory(const char* path)
{
    return chdir(path) == 0;
}
