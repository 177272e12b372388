#include "text/WStringArray.h"
