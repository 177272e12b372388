#include "config/InputFile.h"
