#include "core/runProgram.h"
