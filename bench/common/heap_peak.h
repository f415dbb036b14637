// The bytes the process holds from malloc, counted as they are taken and
// given back, so that a row can report the most a kernel held at once:
// the library's arrays, a peer's own graph, anything that reaches malloc,
// from C++ or C. Where malloc is not ours to count (a sanitizer build), the
// counts stay unknown.
#ifndef CYCLE_BENCH_HEAP_PEAK_H
#define CYCLE_BENCH_HEAP_PEAK_H

#include <cstdint>

// Whether the counts are kept in this build.
bool heapCounted();

// Starts a new peak at the bytes held now, and returns them.
int64_t heapPeakReset();

// The most bytes held at once since the last reset.
int64_t heapPeak();

#endif
