// The process-wide objects, constructed in this order before main and destroyed in reverse:
// gBattery, gFont, gImageCache, gCpuClock, gConfig. Each is declared beside its class.
#pragma once

#include "config/Config.h"
#include "gfx/Font.h"
#include "gfx/ImageCache.h"
#include "platform/Battery.h"
#include "platform/CpuClock.h"
