// The quit signals (SIGINT, SIGTERM) held back for a while, and let through again as they were.
#pragma once

#include <csignal>

// A quit signal that comes while one of these lives stays pending instead of running its
// handler; a sleep that passes previous() to ppoll lets it through there and only there, so it
// cannot slip between a last look and the sleep.
class SignalBlock {
public:
    SignalBlock();
    ~SignalBlock();
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

    // The mask from before, with the quit signals as they were then.
    const sigset_t& previous() const { return m_previous; }

private:
    sigset_t m_previous;
};
