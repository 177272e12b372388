// The process-wide objects, constructed in this order before main and destroyed in reverse.
#pragma once

#include "config/Config.h"
#include "core/Battery.h"
#include "gfx/Font.h"
#include "gfx/ImageCache.h"
#include "skin/CpuClock.h"

extern Battery gBattery;
extern Font gFont;
extern ImageCache gImageCache;
extern CpuClock gCpuClock;
extern Config gConfig;
