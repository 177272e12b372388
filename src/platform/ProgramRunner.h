// Starts a program in a directory and waits for it to end: the part of a launch every POSIX
// back end shares.
#pragma once

#include "platform/Platform.h"

class ProgramRunner {
public:
    // Forks; the child changes into directory (unless it is empty), takes the default signal
    // handling and an empty signal mask, and executes argv[0] (a path, not looked up in PATH)
    // with argv. The launcher's own descriptors are close-on-exec and stay behind. Returns
    // once the program has ended, with how it ended; quit signals that arrive meanwhile stay
    // pending for the launcher.
    static Platform::LaunchOutcome run(const char* directory, char* const argv[]);
};
