#include "text/WString.h"
