// The handheld's quit signals, its ppoll rest, and the hand-over of its devices for a launch.
#include "platform/handheld/HandheldPlatform.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/ProgramRunner.h"

namespace {

const int QUIT_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
// Faults after which the terminal and the clock are put back before the process goes down.
const int CRASH_SIGNALS[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
const long NS_PER_MS = 1000000;
const int MS_PER_SECOND = 1000;

volatile sig_atomic_t gQuitRequested = 0;
// Only ever touched from the main thread: the mask to rest with, quit signals let through.
sigset_t gRestMask;
struct sigaction gCrashActions[sizeof(CRASH_SIGNALS) / sizeof(CRASH_SIGNALS[0])];

void requestQuit(int)
{
    gQuitRequested = 1;
}

void onCrash(int signal)
{
    Console::giveBackFromSignal();
    CpuFreq::restoreFromSignal();
    // The handler that was there before (the default, or a sanitizer's) takes it from here: a
    // fault happens again as the instruction runs again, a raised signal is raised once more.
    for (size_t i = 0; i < sizeof(CRASH_SIGNALS) / sizeof(CRASH_SIGNALS[0]); ++i)
        if (CRASH_SIGNALS[i] == signal)
            sigaction(signal, &gCrashActions[i], nullptr);
    if (signal == SIGABRT)
        raise(signal);
}

} // namespace

HandheldPlatform::HandheldPlatform(const HandheldSettings& settings)
    : m_settings(settings)
    , m_input(m_settings.keys)
    , m_battery(settings.sysfs)
    , m_clock(settings.sysfs)
{
    struct sigaction quit = {};
    quit.sa_handler = requestQuit;
    sigemptyset(&quit.sa_mask);
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int signal : QUIT_SIGNALS) {
        sigaction(signal, &quit, nullptr);
        sigaddset(&blocked, signal);
    }
    // Held back everywhere but in the rest, so one that comes between the last look at the
    // devices and the sleep still ends the sleep.
    sigprocmask(SIG_BLOCK, &blocked, &gRestMask);
    for (int signal : QUIT_SIGNALS)
        sigdelset(&gRestMask, signal);

    struct sigaction crash = {};
    crash.sa_handler = onCrash;
    sigemptyset(&crash.sa_mask);
    for (size_t i = 0; i < sizeof(CRASH_SIGNALS) / sizeof(CRASH_SIGNALS[0]); ++i)
        sigaction(CRASH_SIGNALS[i], &crash, &gCrashActions[i]);
}

HandheldPlatform::~HandheldPlatform()
{
    closeScreen();
    m_clock.restore();
    for (size_t i = 0; i < sizeof(CRASH_SIGNALS) / sizeof(CRASH_SIGNALS[0]); ++i)
        sigaction(CRASH_SIGNALS[i], &gCrashActions[i], nullptr);
}

bool HandheldPlatform::openScreen()
{
    if (!m_screen.isOpen() &&
        !m_screen.open(m_settings.framebuffer, m_settings.screenFormat, m_settings.upsideDown))
        return false;
    m_console.takeOver();
    m_input.open(m_settings.inputs);
    return true;
}

void HandheldPlatform::closeScreen()
{
    m_input.close();
    m_console.giveBack();
    m_screen.close();
}

bool HandheldPlatform::nextEvent(InputEvent& event)
{
    if (gQuitRequested) {
        gQuitRequested = 0;
        event = {InputEvent::CLOSE, 0, 0};
        return true;
    }
    return m_input.next(event);
}

void HandheldPlatform::rest(int timeoutMs)
{
    if (gQuitRequested || m_input.hasPending())
        return;
    std::vector<pollfd> descriptors;
    m_input.descriptors(descriptors);
    timespec timeout = {timeoutMs / MS_PER_SECOND, (timeoutMs % MS_PER_SECOND) * NS_PER_MS};
    // A quit signal is let through only here; its handler ends the sleep.
    ppoll(descriptors.data(), descriptors.size(), timeoutMs < 0 ? nullptr : &timeout, &gRestMask);
}

Platform::LaunchOutcome HandheldPlatform::launch(const char* directory, char* const argv[])
{
    closeScreen();
    const LaunchOutcome outcome = ProgramRunner::run(directory, argv);
    if (!openScreen()) {
        fprintf(stderr, "trevandel: the screen could not be taken back after %s\n",
                argv && argv[0] ? argv[0] : "the program");
        exit(1);
    }
    return outcome;
}

void HandheldPlatform::restart(const char* path)
{
    // The fresh start opens everything again, and finds the clock as it was.
    closeScreen();
    m_clock.restore();
    // The new image keeps the signal mask: it starts with the quit signals let through.
    sigset_t held;
    sigprocmask(SIG_SETMASK, &gRestMask, &held);
    execl(path, path, static_cast<char*>(nullptr));
    sigprocmask(SIG_SETMASK, &held, nullptr);
    if (!openScreen())
        exit(1);
}
