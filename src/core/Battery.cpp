#include "core/Battery.h"
