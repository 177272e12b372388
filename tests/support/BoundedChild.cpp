// A forked child with a watchdog on its resident memory, for tests of memory bounds.
#include "support/BoundedChild.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int OVER_LIMIT_STATUS = 97;
const int NO_RESULT_STATUS = 98;
const unsigned WATCH_INTERVAL_US = 500;
// A child that neither finishes nor grows is stopped after this long.
const unsigned TIMEOUT_SECONDS = 120;

// One "Name:   1234 kB" field of /proc/self/status, read without touching the heap.
long statusKiB(const char* field)
{
    char buffer[8192];
    const int fd = open("/proc/self/status", O_RDONLY);
    if (fd < 0)
        return -1;
    const ssize_t length = read(fd, buffer, sizeof buffer - 1);
    close(fd);
    if (length <= 0)
        return -1;
    buffer[length] = '\0';
    const char* at = strstr(buffer, field);
    return at ? strtol(at + strlen(field), nullptr, 10) : -1;
}

struct Watch {
    long startKiB;
    long limitKiB;
};

void* watchResidentMemory(void* argument)
{
    const Watch* watch = static_cast<const Watch*>(argument);
    for (;;) {
        const long resident = statusKiB("VmRSS:");
        if (resident >= 0 && resident - watch->startKiB > watch->limitKiB)
            _exit(OVER_LIMIT_STATUS);
        usleep(WATCH_INTERVAL_US);
    }
    return nullptr;
}

// Starts the peak over again at the current resident size; false where the kernel cannot.
bool resetPeak()
{
    const int fd = open("/proc/self/clear_refs", O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = write(fd, "5", 1) == 1;
    close(fd);
    return ok;
}

[[noreturn]] void runChild(const std::function<int()>& work, long limitKiB, int reportFd)
{
    alarm(TIMEOUT_SECONDS);
    static Watch watch;
    watch.limitKiB = limitKiB;
    watch.startKiB = statusKiB("VmRSS:");
    const bool peakFromHere = resetPeak();
    pthread_t watcher;
    if (watch.startKiB < 0 || pthread_create(&watcher, nullptr, watchResidentMemory, &watch) != 0)
        _exit(NO_RESULT_STATUS);
    const int result = work();
    // Without a fresh peak, the current size is the best lower bound on it.
    const long end = peakFromHere ? statusKiB("VmHWM:") : statusKiB("VmRSS:");
    const long growth = end - watch.startKiB;
    if (write(reportFd, &growth, sizeof growth) != sizeof growth)
        _exit(NO_RESULT_STATUS);
    _exit(result & 0x3F);
}

} // namespace

ChildOutcome runInBoundedChild(const std::function<int()>& work, long limitKiB)
{
    ChildOutcome outcome;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return outcome;
    fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return outcome;
    }
    if (child == 0) {
        close(pipeFds[0]);
        runChild(work, limitKiB, pipeFds[1]);
    }
    close(pipeFds[1]);
    long growth = -1;
    const bool reported = read(pipeFds[0], &growth, sizeof growth) == sizeof growth;
    close(pipeFds[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return outcome;
    if (WIFEXITED(status) && WEXITSTATUS(status) == OVER_LIMIT_STATUS) {
        outcome.overLimit = true;
        return outcome;
    }
    outcome.finished = reported && WIFEXITED(status);
    outcome.result = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.growthKiB = growth;
    return outcome;
}
