#include "skin/Button.h"
