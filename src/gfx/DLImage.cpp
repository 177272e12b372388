#include "gfx/DLImage.h"
