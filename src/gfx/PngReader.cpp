#include "gfx/PngReader.h"
