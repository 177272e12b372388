// The colour notation of skins: six hex digits RRGGBB, read into a screen pixel.
#pragma once

#include <cstdint>

#include "text/WString.h"

// Six hex digits RRGGBB to a screen pixel; anything else gives 0xD431.
uint16_t parseColour(const WString& text);
