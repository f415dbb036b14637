// The kernels of the short-list rows: each runs its detector on every list
// of a row in turn, in the loop a caller would write, so that the detector
// inlines there, and returns how many it called cyclic; each is written once
// over a counts record, like the single-list kernels it is built from.
#ifndef CYCLE_BENCH_SHORT_KERNELS_H
#define CYCLE_BENCH_SHORT_KERNELS_H

#include "short/short_lists.h"
#include "step_counts.h"

#include <cstddef>
#include <cstdint>

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

// The floor of shortEach: every list walked by its known length,
// cycle::DEFAULT_IN_FLIGHT of them at a time, as hasCycleEach keeps them.
template <typename Counts> int64_t shortTraverseInFlight(ShortLists& lists, Counts& counts);

// The walks to nullptr whose fastest, round by round, is the short rows'
// walk floor (walkPlaced in list_walks.h): each placement, one node a turn
// and two.
extern int64_t (*const SHORT_WALK_FLOORS[])(ShortLists& lists, NoCounts& counts);
extern const size_t SHORT_WALK_FLOOR_COUNT;

// A kernel of the short-list rows: it checks every list of a row in turn and
// returns how many it called cyclic.
struct ShortKernel {
    const char* name;
    int64_t (*check)(ShortLists& lists, NoCounts& counts);
    int64_t (*count)(ShortLists& lists, StepCounts& counts);
    bool linear_only; // measured on linear lists alone
    bool in_flight;   // checks its lists in flight: paired with shortTraverseInFlight alone
};

extern const ShortKernel SHORT_KERNELS[];
extern const size_t SHORT_KERNEL_COUNT;

#endif
