// The one way the process-wide objects are reset: by a reload, a tool, a test or a fuzzer.
#include "launcher/ProcessState.h"

#include "launcher/Globals.h"
#include "platform/Input.h"

void ProcessState::reset(unsigned parts)
{
    if (parts & BATTERY)
        gBattery.reset();
    if (parts & FONT)
        gFont.clear();
    if (parts & IMAGES)
        gImageCache.clear();
    if (parts & CPU_CLOCK)
        gCpuClock = CpuClock();
    if (parts & CONFIG)
        gConfig.clear();
    if (parts & CONTROLS)
        Input::reset();
}
