// An "exec" action's launch lines, and its argument vector for a real start.
#pragma once

#include <vector>

#include "text/WString.h"

class Page;

const int RUN_ARGUMENT_SLOTS = 256;

// Prints the directory change and the numbered argument vector: what every launch shows, and all
// of a launch that only announces.
void runProgram(const WString::Array& action);
// The argument vector of the same slots, the absent ones left out, ending with null; empty when
// the action names no program (or gives no directory word).
std::vector<char*> programArguments(const WString::Array& action);
// Starts the program with the screen and the controls handed to it (the pages' pictures
// released, so it has their memory), waits for it, and prints how it ended; the same page,
// selection and lists show again after it.
void startProgram(const WString::Array& action, Page* pages, int pageCount);
