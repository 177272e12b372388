// The observer attached to the readers: none in the launcher, the diagnostics in the checker.
#include "config/SkinObserver.h"

SkinObserver* SkinObserver::s_attached = nullptr;
