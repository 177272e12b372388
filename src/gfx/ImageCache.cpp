#include "gfx/ImageCache.h"
