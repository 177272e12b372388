#include "config/saveConfigChange.h"
