// A test-only clock: definitions of time() and gettimeofday() that replace
// the platform's in whatever binary they are linked or preloaded into.
//
// Unpinned, both read the real clock. Pinned, time() always returns one
// second and gettimeofday() returns the scripted stamps in turn, repeating the
// last. A preloaded copy pins itself from the environment:
//   PINNED_TIME=<seconds>   PINNED_STAMPS=<sec>.<usec>[,<sec>.<usec>...]
#ifndef CYCLE_TESTS_PINNED_CLOCK_H
#define CYCLE_TESTS_PINNED_CLOCK_H

#include <ctime>
#include <vector>

struct PinnedStamp {
    long sec;
    long usec;
};

void pinClock(time_t second, const std::vector<PinnedStamp>& stamps);
void unpinClock();

// How many times gettimeofday() was called since the clock was last pinned.
int pinnedStampsTaken();

#endif
