// The benchmarks: a kernel timed on one list, or many lists checked at once,
// each paired round by round with its floor on the same memory.
#ifndef CYCLE_BENCH_TIMING_H
#define CYCLE_BENCH_TIMING_H

#include "kernels.h"
#include "mapping_kernels.h"
#include "mapping_sets.h"
#include "node_sets.h"
#include "period_kernels.h"
#include "short_lists.h"

#include <benchmark/benchmark.h>

// How long a row samples. With ci_target > 0 a row takes paired rounds in one
// benchmark iteration until its ratio's 95% interval is within ci_target of
// the median, or for ci_max_time seconds, whichever comes first (register
// such rows with Iterations(1)); otherwise one round per iteration, as many
// as Google Benchmark asks for.
struct SamplingPlan {
    double ci_target;
    double ci_max_time;
};
extern SamplingPlan sampling_plan;

// Runs kernel on the size-n node set linked in layout's order into shape.
// Every call, of the kernel or of the traverse floor it is paired with in each
// round, starts from a list just relinked (and flushed, if the layout is
// cold), untimed; the kernel's call alone is the iteration's time (manual
// time). Counters: ns_per_node and floor_ns_per_node (medians over rounds),
// floor_ratio (the median of the per-round ratios of kernel to floor), each
// median with _lo and _hi (its 95% interval), rounds, outlier_rounds,
// ci_met when sampling to a target, anon_huge_kib, and, from one untimed
// counting run of the same code, moves_per_node, chain_per_node,
// writes_per_node and stack_peak. A wrong verdict fails the benchmark.
void runKernel(benchmark::State& state, Kernel kernel, Layout layout, ListShape shape, int64_t n);

// Checks the 1M-node set split into list_count lists, in_flight at a time in
// each of threads threads (each taking its share of the lists), paired with
// the interleaved floor walk of the same lists, in flight and threads; check
// false times the walk itself. The same counters, per node of the whole set,
// with moves_per_node from a counting run of the same code.
void runMany(benchmark::State& state, Layout layout, int64_t list_count, int64_t in_flight,
             int threads, bool check);

// The cost of the page walks: the traverse floor on the size-n node set in
// layout's order on 2 MiB pages, paired round by round with the same walk
// on the same permutation of the 4 KiB-page set (the floor of every other
// row), both relinked as a linear list (and flushed, if cold). floor_ratio
// is then huge-page time over 4 KiB time, and anon_huge_kib shows whether
// the huge pages took.
void runPages(benchmark::State& state, Layout layout, int64_t n);

// Runs kernel over the short lists of n nodes in layout's order and shape,
// paired round by round with the traverse floor over the same lists and, on
// linear shapes, with the walk to nullptr too; the lists stay warm between
// calls. Counters as runKernel's, but the time is per list: ns_per_list and
// floor_ns_per_list, and walk_ratio (with _lo, _hi) and walk_ns_per_list on
// linear shapes; moves_per_node is per node.
void runShort(benchmark::State& state, ShortKernel kernel, Layout layout, ShortShape shape,
              int64_t n);

// Runs kernel, one that finds periods (not the floor), on the function of
// kind over bits-bit values from each of a few starts in turn, paired round
// by round with the floor (f iterated mu + lambda times from the same
// start). ns_per_value and
// floor_ns_per_value are per value of the sequence, the benchmark's own time
// per call; calls_per_value, mu and lambda are medians over the starts. A
// wrong period fails the benchmark.
void runPeriod(benchmark::State& state, PeriodKernel kernel, FunctionKind kind, int bits);

// Runs kernel on the table of shape with m elements, on threads threads
// where the kernel takes them, paired round by round with the gather floor
// (one thread) on the same table. ns_per_element and floor_ns_per_element
// are per element; build_ns_per_element, where the kernel builds a structure
// first, is that part of its time; cycles and on_cycles are the mapping's,
// from the textbook walk, which every kernel's answer must match.
void runMapping(benchmark::State& state, MapKernel kernel, MapShape shape, uint64_t m,
                unsigned threads);

#endif
