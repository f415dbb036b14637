// What the driver and the detectors share: the detector contract, the run
// log's name, and the time stamps with their whole-millisecond measure.
#ifndef CYCLE_HARNESS_EX3_MAIN_H
#define CYCLE_HARNESS_EX3_MAIN_H

#include "ex3.h"

#include <cstdint>
#include <sys/time.h>

// The run log: the driver rebuilds it, the detector appends its record.
constexpr const char* RUN_LOG_FILE = "exe4.txt";

// The detector contract, fulfilled by exactly one detector per program.
// Returns 1 if the list is cyclic, 0 otherwise. Takes its own stamps, prints
// its verdict lines, appends one timing record to the run log and closes it.
// It may rewrite links but neither allocates nor releases nodes.
int testCyclic(List list);

// A wall-clock reading in seconds and microseconds.
struct Stamp {
    int64_t sec;
    int64_t usec;
};

// Reads the wall clock with gettimeofday, which is the only clock any
// timing in the programs uses.
inline Stamp takeStamp() {
    timeval now;
    gettimeofday(&now, nullptr);
    return Stamp{now.tv_sec, now.tv_usec};
}

// Whole milliseconds from start to end: the seconds part and the truncated
// microsecond part are computed apart in integers and only then added, so a
// negative microsecond difference rounds the interval up, not down.
inline double elapsedMs(Stamp start, Stamp end) {
    int64_t sec_part = (end.sec - start.sec) * 1000;
    int64_t usec_part = (end.usec - start.usec) / 1000;
    return static_cast<double>(sec_part) + static_cast<double>(usec_part);
}

#endif
