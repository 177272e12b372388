// The preview's signal handlers: a note for the loop, or the scratch folder removed on a fault.
#include "QuitSignals.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

namespace {

// Default action: end the process (some with a core file). The real-time signals too.
const int NOTED_SIGNALS[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGTERM, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2,
                             SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ, SIGIO,   SIGPWR,  SIGSTKFLT};
// Raised by the program's own fault: it cannot go on to its loop.
const int FAULT_SIGNALS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};

volatile sig_atomic_t gCaught = 0;
sigset_t gNoted;
char gScratchFolder[PATH_MAX] = "";
struct sigaction gBeforeFault[NSIG];

void noteSignal(int signal)
{
    if (gCaught == 0)
        gCaught = signal;
}

// With system calls only, so it can run in a signal handler.
void removeScratchFolder()
{
    if (gScratchFolder[0] == '\0')
        return;
    const int folder = open(gScratchFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        alignas(8) char entries[4096];
        long got;
        while ((got = syscall(SYS_getdents64, folder, entries, sizeof(entries))) > 0) {
            for (long at = 0; at < got;) {
                // struct linux_dirent64: inode, offset, record length, type, name.
                unsigned short length;
                memcpy(&length, entries + at + 16, sizeof(length));
                const char* name = entries + at + 19;
                if (strcmp(name, ".") != 0 && strcmp(name, "..") != 0)
                    unlinkat(folder, name, 0);
                at += length;
            }
        }
        close(folder);
    }
    rmdir(gScratchFolder);
    gScratchFolder[0] = '\0';
}

void onFault(int signal, siginfo_t* info, void*)
{
    removeScratchFolder();
    // Whatever had it before (the default action, a sanitizer's report) takes it from here: a
    // fault of an instruction comes again when the handler returns, a sent one is sent again.
    sigaction(signal, &gBeforeFault[signal], nullptr);
    if (info->si_code <= 0)
        raise(signal);
}

} // namespace

void QuitSignals::install()
{
    sigemptyset(&gNoted);
    for (int signal : NOTED_SIGNALS)
        sigaddset(&gNoted, signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; signal++)
        sigaddset(&gNoted, signal);

    struct sigaction note = {};
    note.sa_handler = noteSignal;
    sigemptyset(&note.sa_mask);
    for (int signal = 1; signal < NSIG; signal++)
        if (sigismember(&gNoted, signal) == 1)
            sigaction(signal, &note, nullptr);

    struct sigaction fault = {};
    fault.sa_sigaction = onFault;
    fault.sa_flags = SA_SIGINFO;
    sigemptyset(&fault.sa_mask);
    for (int signal : FAULT_SIGNALS)
        sigaction(signal, &fault, &gBeforeFault[signal]);
}

void QuitSignals::setScratchFolder(const char* folder)
{
    gScratchFolder[0] = '\0';
    if (folder && strlen(folder) < sizeof(gScratchFolder))
        strcpy(gScratchFolder, folder);
}

int QuitSignals::caught()
{
    return gCaught;
}

const sigset_t& QuitSignals::noted()
{
    return gNoted;
}

void QuitSignals::endAsCaught()
{
    const int signal = gCaught;
    if (signal == 0 || signal == SIGINT || signal == SIGTERM)
        return;
    removeScratchFolder();
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
}
