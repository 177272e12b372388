// The headless platform's event queue.
#include "platform/HeadlessPlatform.h"

bool HeadlessPlatform::nextEvent(InputEvent& event)
{
    if (m_events.empty())
        return false;
    event = m_events.front();
    m_events.pop_front();
    return true;
}
