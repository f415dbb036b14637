// The benchmark's own kernels, beside the programs' two: the floor of a plain
// walk, the limit of independent loads, and the library's detectors on the
// benchmark's lists. Each is written once, as a template over a counts record
// (see step_counts.h), and instantiated for NoCounts and StepCounts. Each
// returns 1 if the list is cyclic, 0 otherwise.
#ifndef CYCLE_BENCH_BENCH_DETECTORS_H
#define CYCLE_BENCH_BENCH_DETECTORS_H

#include "node_sets.h"
#include "short_lists.h"
#include "step_counts.h"

// The benchmark lists' next: a node's own link.
constexpr auto nextLink = [](const Node* node) -> const Node* { return node->next; };

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

// Many lists, in_flight at a time in one thread, over lists [first, end):
// the floor walks each list by its known length, a finished cursor taking the
// next list at once; the check is cycle::hasCycleEach, its verdicts written
// to cyclic (indexed like the lists). The floor returns a value its loads
// feed, so that none is dropped.
template <typename Counts>
int64_t walkMany(const ManyLists& lists, size_t first, size_t end, size_t in_flight,
                 Counts& counts);
template <typename Counts>
void checkMany(const ManyLists& lists, size_t first, size_t end, size_t in_flight, bool* cyclic,
               Counts& counts);

// Short lists, one at a time: each of these runs its detector on every list
// of lists in turn, and returns how many it called cyclic. shortEach checks
// them all at once with cycle::hasCycleEach (its default lists in flight).
template <typename Counts> int64_t shortTraverse(ShortLists& lists, Counts& counts);
template <typename Counts> int64_t shortWalk(ShortLists& lists, Counts& counts);
template <typename Counts> int64_t shortHare(ShortLists& lists, Counts& counts);
template <typename Counts> int64_t shortBrent(ShortLists& lists, Counts& counts);
template <typename Counts> int64_t shortNivasch(ShortLists& lists, Counts& counts);
template <typename Counts> int64_t shortHascycle(ShortLists& lists, Counts& counts);
template <typename Counts> int64_t shortHascycleFnptr(ShortLists& lists, Counts& counts);
template <typename Counts> int64_t shortFindcycle(ShortLists& lists, Counts& counts);
template <typename Counts> int64_t shortEach(ShortLists& lists, Counts& counts);

#endif
