#include "skin/CpuClock.h"
