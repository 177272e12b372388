// Runs a piece of test work in a forked child whose memory growth is watched and capped.
#pragma once

#include <functional>

struct ChildOutcome {
    // True when the work returned and the child exited by itself.
    bool finished = false;
    // What the work returned (when finished).
    int result = -1;
    // True when the child was stopped for growing past its limit.
    bool overLimit = false;
    // How far the child's resident memory rose above where it started, in KiB.
    long growthKiB = -1;
};

// Forks; the child runs work and exits with its result. A watchdog thread in the child stops it
// as soon as its resident memory grows by more than limitKiB, so a regression fails the test
// instead of exhausting the machine. Resident memory rather than an address-space limit, since
// AddressSanitizer reserves terabytes of address space, and since a refused allocation would let
// a decoder that asks for gigabytes pass.
ChildOutcome runInBoundedChild(const std::function<int()>& work, long limitKiB);
