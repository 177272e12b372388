#include "core/Video.h"
