// Step counting for the detectors. Each detector is written once as a
// template over a counts record: instantiated with NoCounts it is the plain
// detector (the hooks compile to nothing); with StepCounts it reports what it
// did, for the benchmark's counters and the tests' closed forms. The library's
// detectors take the same records: their hooks are found by argument-
// dependent lookup.
#ifndef CYCLE_DETECTORS_STEP_COUNTS_H
#define CYCLE_DETECTORS_STEP_COUNTS_H

#include "cycle/detail/tally.h"

#include <cstdint>

// What one detector run did: pointer moves along a link by all its pointers,
// moves of its longest dependent chain, links it wrote, and the most entries
// it held at once in memory of its own (Nivasch's stacks, a visited set).
struct StepCounts {
    int64_t moves = 0;
    int64_t chain = 0;
    int64_t writes = 0;
    int64_t stack_peak = 0;
};

// The empty record of a detector run that counts nothing: the library's own.
using NoCounts = cycle::detail::NoTally;

// Adds moves pointer moves, chain of them on the longest dependent chain.
inline void countMoves(StepCounts& counts, int64_t moves, int64_t chain) {
    counts.moves += moves;
    counts.chain += chain;
}

// Adds one link written.
inline void countWrite(StepCounts& counts) {
    counts.writes++;
}
inline void countWrite(NoCounts&) {}

// Notes that the detector now holds entries entries; keeps the peak.
inline void countEntries(StepCounts& counts, int64_t entries) {
    if (entries > counts.stack_peak) {
        counts.stack_peak = entries;
    }
}

#endif
