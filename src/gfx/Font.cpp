#include "gfx/Font.h"
