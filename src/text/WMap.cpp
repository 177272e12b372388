#include "text/WMap.h"
