// Dry-run launch of an "exec" action: prints the directory change and the argument vector.
#pragma once

#include "text/WString.h"

const int RUN_ARGUMENT_SLOTS = 256;

void runProgram(const WString::Array& action);
