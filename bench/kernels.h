// The table of named kernels the benchmark selects by name: every detector,
// each with its plain run (timed) and its counting run (untimed), which are
// two instantiations of the same code.
#ifndef CYCLE_BENCH_KERNELS_H
#define CYCLE_BENCH_KERNELS_H

#include "node_sets.h"
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

#endif
