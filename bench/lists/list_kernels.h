// The kernels of the single-list rows, each one small function written
// once as a template over a counts record (see step_counts.h) and
// instantiated for NoCounts (timed) and StepCounts (counted): the floors
// (a plain walk of n moves, a walk to nullptr, the limit of independent
// loads), the programs' two detectors, the library's, and what users reach
// for. Each returns 1 if the list is cyclic, 0 otherwise. The other list
// families build their kernels from these.
#ifndef CYCLE_BENCH_LIST_KERNELS_H
#define CYCLE_BENCH_LIST_KERNELS_H

#include "common/node_sets.h"
#include "lists/next_link.h"
#include "step_counts.h"

#include <cstddef>
#include <cstdint>

// The floor for any detector that must reach the tail: exactly n moves, which
// end on null for a linear list and inside the list for a cyclic one. It
// knows n, so the only test per step is the counter's.
template <typename Counts> int traverse(BenchList list, Counts& counts);

// The floor a user's own code sets: a walk to nullptr, each step testing the
// node it loaded, as an assertion that a list ends would walk it. It returns
// 0 on a list of list.n >= 1 nodes (its last node feeds the verdict, so
// that no load is dropped); it never ends on a cyclic list, so it runs on
// linear lists alone.
template <typename Counts> int walk(BenchList list, Counts& counts);

// The limit when nothing waits on a pointer: the sum of every val, visiting
// the nodes in list order through the order array instead of the links. Only
// meaningful on a linear list, which it always calls linear.
template <typename Counts> int stream(BenchList list, Counts& counts);

// Not a detector: the floor's walk with a second pointer trailing at half
// speed, as the hare's slow one does, deciding nothing. It shows what a second
// stream of loads over the same nodes does to the chain's speed. Only
// meaningful on a linear list, which it always calls linear.
template <typename Counts> int trail(BenchList list, Counts& counts);

// The library's detectors: Brent's method, Nivasch's stacks, the checkpoint
// walk of cycle::hasCycle, and cycle::findCycle (cyclic when it finds an entry).
template <typename Counts> int brent(BenchList list, Counts& counts);
template <typename Counts> int nivasch(BenchList list, Counts& counts);
template <typename Counts> int hascycle(BenchList list, Counts& counts);
template <typename Counts> int findcycle(BenchList list, Counts& counts);

// cycle::hasCycle given next as a pointer to a plain function, as callers
// with a C-style accessor write it.
template <typename Counts> int hascycleFnptr(BenchList list, Counts& counts);

// The visited set most people write first: every address goes into a hash set
// reserved for n, and the first one already there means a cycle. Its
// allocations are part of its run. Ends the process if memory runs out.
template <typename Counts> int hashset(BenchList list, Counts& counts);

// The table of named kernels the single-list rows select by name, each with
// its plain run (timed) and its counting run (untimed), which are two
// instantiations of the same code, and where it is measured.
struct Kernel {
    const char* name;
    int (*detect)(BenchList list, NoCounts& counts);
    int (*count)(BenchList list, StepCounts& counts);
    bool linear_only; // measured on linear lists alone
    bool warm_only;   // left out of the cold layouts
    int64_t only_n;   // measured at this size alone, off the sweep; 0: every row
};

extern const Kernel KERNELS[];
extern const size_t KERNEL_COUNT;

#endif
