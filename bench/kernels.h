// The table of named kernels the benchmark selects by name: every detector,
// each with its plain run (timed) and its counting run (untimed), which are
// two instantiations of the same code.
#ifndef CYCLE_BENCH_KERNELS_H
#define CYCLE_BENCH_KERNELS_H

#include "node_sets.h"
#include "short_lists.h"
#include "step_counts.h"

#include <cstddef>

struct Kernel {
    const char* name;
    int (*detect)(BenchList list, NoCounts& counts);
    int (*count)(BenchList list, StepCounts& counts);
    bool linear_only; // measured on linear lists alone
};

extern const Kernel KERNELS[];
extern const size_t KERNEL_COUNT;

// A kernel of the short-list rows: it checks every list of a row in turn and
// returns how many it called cyclic.
struct ShortKernel {
    const char* name;
    int64_t (*check)(ShortLists& lists, NoCounts& counts);
    int64_t (*count)(ShortLists& lists, StepCounts& counts);
    bool linear_only; // measured on linear lists alone
};

extern const ShortKernel SHORT_KERNELS[];
extern const size_t SHORT_KERNEL_COUNT;

#endif
