// fork, chdir and execv in the child; the parent waits with the quit signals held back.
#include "platform/ProgramRunner.h"

#include "platform/SignalBlock.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace {

// What the child reports through the pipe when it cannot get as far as the program.
struct Failure {
    int stage;
    int error;
};
const int STAGE_DIRECTORY = 1;
const int STAGE_EXEC = 2;
// The usual status of a program that could not be executed.
const int EXEC_FAILED_STATUS = 127;

// Signals the launcher catches or ignores; the program gets their default handling back.
const int HANDLED_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD, SIGUSR1, SIGUSR2};

[[noreturn]] void fail(int pipeFd, int stage)
{
    const Failure failure = {stage, errno};
    if (write(pipeFd, &failure, sizeof(failure)) < 0) {
        // Nothing more can be said: the parent sees the exit status alone.
    }
    _exit(EXEC_FAILED_STATUS);
}

} // namespace

Platform::LaunchOutcome ProgramRunner::run(const char* directory, char* const argv[])
{
    if (!argv || !argv[0])
        return {Platform::LaunchOutcome::NOT_STARTED, ENOENT};
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return {Platform::LaunchOutcome::NOT_STARTED, errno};

    // Held back while the program runs, and in the child until the program replaces it.
    const SignalBlock quitSignals;
    // Buffered lines would otherwise be written twice, once by each process.
    fflush(nullptr);

    const pid_t child = fork();
    const int forkError = errno;
    if (child == 0) {
        close(report[0]);
        struct sigaction byDefault = {};
        byDefault.sa_handler = SIG_DFL;
        for (int signal : HANDLED_SIGNALS)
            sigaction(signal, &byDefault, nullptr);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (directory && *directory && chdir(directory) != 0)
            fail(report[1], STAGE_DIRECTORY);
        execv(argv[0], argv);
        fail(report[1], STAGE_EXEC);
    }
    close(report[1]);
    Platform::LaunchOutcome outcome = {Platform::LaunchOutcome::NOT_STARTED, forkError};
    if (child > 0) {
        Failure failure = {0, 0};
        ssize_t got;
        do
            got = read(report[0], &failure, sizeof(failure));
        while (got < 0 && errno == EINTR);
        int status = 0;
        pid_t waited;
        do
            waited = waitpid(child, &status, 0);
        while (waited < 0 && errno == EINTR);
        if (got == ssize_t(sizeof(failure)))
            outcome = {failure.stage == STAGE_DIRECTORY ? Platform::LaunchOutcome::NO_DIRECTORY
                                                       : Platform::LaunchOutcome::NOT_STARTED,
                       failure.error};
        else if (waited == child && WIFSIGNALED(status))
            outcome = {Platform::LaunchOutcome::SIGNALLED, WTERMSIG(status)};
        else if (waited == child && WIFEXITED(status))
            outcome = {Platform::LaunchOutcome::EXITED, WEXITSTATUS(status)};
    }
    close(report[0]);
    return outcome;
}
