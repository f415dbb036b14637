// One benchmark: a kernel timed alone on a list of one layout, shape and size.
#ifndef CYCLE_BENCH_TIMING_H
#define CYCLE_BENCH_TIMING_H

#include "kernels.h"
#include "node_sets.h"

#include <benchmark/benchmark.h>

// Runs kernel on the size-n node set linked in layout's order into shape.
// Every iteration relinks the list, untimed, then times the kernel alone and
// reports that time as the iteration's (manual time), so every kernel starts
// from the same freshly linked memory. Adds ns_per_node and, from one untimed
// counting run of the same code, moves_per_node, chain_per_node,
// writes_per_node and stack_peak. A wrong verdict fails the benchmark.
void runKernel(benchmark::State& state, Kernel kernel, Layout layout, ListShape shape, int64_t n);

#endif
