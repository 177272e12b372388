#include "skin/FileList.h"
