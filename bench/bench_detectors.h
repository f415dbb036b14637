// The benchmark's own detectors, beside the programs' two: the floor of a
// plain walk, the limit of independent loads, Brent's method, Nivasch's stack
// algorithm and the visited set. Each is written once, as a template over a
// counts record (see step_counts.h), and instantiated for NoCounts and
// StepCounts. Each returns 1 if the list is cyclic, 0 otherwise.
#ifndef CYCLE_BENCH_BENCH_DETECTORS_H
#define CYCLE_BENCH_BENCH_DETECTORS_H

#include "node_sets.h"
#include "step_counts.h"

// The floor for any detector that must reach the tail: exactly n moves, which
// end on null for a linear list and inside the list for a cyclic one. It
// knows n, so the only test per step is the counter's.
template <typename Counts> int traverse(BenchList list, Counts& counts);

// The limit when nothing waits on a pointer: the sum of every val, visiting
// the nodes in list order through the order array instead of the links. Only
// meaningful on a linear list, which it always calls linear.
template <typename Counts> int stream(BenchList list, Counts& counts);

// Not a detector: the floor's walk with a second pointer trailing at half
// speed, as the hare's slow one does, deciding nothing. It shows what a second
// stream of loads over the same nodes does to the chain's speed. Only
// meaningful on a linear list, which it always calls linear.
template <typename Counts> int trail(BenchList list, Counts& counts);

// Brent's method from start: a runner walks alone and the tortoise jumps to it
// at every power of two; at most 2 * max(mu, lambda) + lambda moves.
template <typename Counts> int brentFrom(const Node* start, Counts& counts);
template <typename Counts> int brent(BenchList list, Counts& counts);

// Nivasch's stack algorithm, partitioned into NIVASCH_STACKS stacks: stops at
// the second visit of the smallest mixed address of any stack's class on the
// cycle, within mu + 2 * lambda moves. Writes nothing to the list.
template <typename Counts> int nivasch(BenchList list, Counts& counts);

// The visited set most people write first: every address goes into a hash set
// reserved for n, and the first one already there means a cycle. Its
// allocations are part of its run. Ends the process if memory runs out.
template <typename Counts> int hashset(BenchList list, Counts& counts);

#endif
