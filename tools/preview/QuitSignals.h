// Every signal that would end the preview, caught so that it never leaves its scratch folder.
#pragma once

#include <csignal>

// The preview makes a folder of its own (its copy of Trevandel.cfg). A signal whose default
// action ends the process would leave it behind: a closed terminal (SIGHUP), Ctrl-\ (SIGQUIT),
// a report piped into a program that ends (SIGPIPE). Asynchronous ones are noted here and end
// the preview through its loop, like a closed window; a fault (SIGSEGV, SIGABRT, ...) removes
// the folder at once and then takes its course. SIGKILL and SIGSTOP cannot be caught.
class QuitSignals {
public:
    // Installs the handlers. Before SDL starts: SDL then keeps them instead of its own quit
    // handler for SIGINT and SIGTERM.
    static void install();
    // The folder a fault removes with everything in it (empty: none). Kept in a buffer of its
    // own, as a signal handler can read it.
    static void setScratchFolder(const char* folder);

    // The first signal noted, 0 while none was.
    static int caught();
    // The signals noted rather than acted on: blocked from a check of caught() to the sleep that
    // follows it, so that one arriving in between ends the sleep.
    static const sigset_t& noted();
    // SIGINT and SIGTERM end the preview as a closed window does, status 0. Any other noted
    // signal ends it as that signal would have, once its folder is gone: call this last.
    static void endAsCaught();
};
