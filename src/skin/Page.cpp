#include "skin/Page.h"
