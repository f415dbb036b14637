// One benchmark: a kernel timed alone on a list of one layout, shape and size.
#ifndef CYCLE_BENCH_TIMING_H
#define CYCLE_BENCH_TIMING_H

#include "kernels.h"
#include "node_sets.h"

#include <benchmark/benchmark.h>

// Runs kernel on the size-n node set linked in layout's order into shape.
// Every call, of the kernel or of the traverse floor it is paired with in each
// iteration, starts from a list just relinked, untimed, so that all of them
// start from the same memory; the kernel's call alone is the iteration's time
// (manual time). Adds ns_per_node, floor_ns_per_node, floor_ratio (the median
// of the per-iteration ratios of kernel to floor) and, from one untimed
// counting run of the same code, moves_per_node, chain_per_node,
// writes_per_node and stack_peak. A wrong verdict fails the benchmark.
void runKernel(benchmark::State& state, Kernel kernel, Layout layout, ListShape shape, int64_t n);

#endif
