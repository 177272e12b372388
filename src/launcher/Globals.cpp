// Defined together in one file so that they are constructed in exactly this order.
#include "launcher/Globals.h"

Battery gBattery;
Font gFont;
ImageCache gImageCache;
CpuClock gCpuClock;
Config gConfig;
