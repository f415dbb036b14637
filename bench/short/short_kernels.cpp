#include "short/short_kernels.h"

#include "cycle/detect.h"
#include "lists/list_kernels.h"
#include "lists/list_walks.h"
#include "many/many_lists.h"

// The programs' hare walk, inlined where the list is.
template <typename Counts> static int hareInline(BenchList list, Counts& counts) {
    auto next = nextLink;
    return cycle::detail::floydCyclic(
        cycle::detail::floydWalk(static_cast<const Node*>(list.head), next, counts));
}

// A short-list kernel: checked, an expression of list, next and the counts c,
// run on every list in turn in the loop a caller would write, so that the
// detector inlines there; returns how many lists it called cyclic.
#define SHORT_KERNEL(name, checked)                                                                \
    template <typename Counts> int64_t name(ShortLists& lists, Counts& c) {                        \
        auto next = nextLink;                                                                      \
        auto nextFunction = &nextOf;                                                               \
        (void)next;                                                                                \
        (void)nextFunction;                                                                        \
        int64_t cyclic = 0;                                                                        \
        for (size_t i = 0; i < lists.heads.size(); i++) {                                          \
            const BenchList list{lists.heads[i], nullptr, lists.lengths[i]};                       \
            cyclic += static_cast<int>(checked);                                                   \
        }                                                                                          \
        return cyclic;                                                                             \
    }                                                                                              \
    template int64_t name(ShortLists&, NoCounts&);                                                 \
    template int64_t name(ShortLists&, StepCounts&);

SHORT_KERNEL(shortTraverse, traverse(list, c))
SHORT_KERNEL(shortWalkAt0By1, (walkPlaced<0, 1>(list, c)))
SHORT_KERNEL(shortWalkAt16By1, (walkPlaced<16, 1>(list, c)))
SHORT_KERNEL(shortWalkAt32By1, (walkPlaced<32, 1>(list, c)))
SHORT_KERNEL(shortWalkAt48By1, (walkPlaced<48, 1>(list, c)))
SHORT_KERNEL(shortWalkAt0By2, (walkPlaced<0, 2>(list, c)))
SHORT_KERNEL(shortWalkAt16By2, (walkPlaced<16, 2>(list, c)))
SHORT_KERNEL(shortWalkAt32By2, (walkPlaced<32, 2>(list, c)))
SHORT_KERNEL(shortWalkAt48By2, (walkPlaced<48, 2>(list, c)))
SHORT_KERNEL(shortWalk, walk(list, c))
SHORT_KERNEL(shortHare, hareInline(list, c))
SHORT_KERNEL(shortBrent, cycle::detail::brentWalk(static_cast<const Node*>(list.head), next, c))
SHORT_KERNEL(shortNivasch, nivasch(list, c))
SHORT_KERNEL(shortHascycle, cycle::detail::hasCycle(static_cast<const Node*>(list.head), next, c))
SHORT_KERNEL(shortHascycleFnptr,
             cycle::detail::hasCycle(static_cast<const Node*>(list.head), nextFunction, c))
SHORT_KERNEL(shortFindcycle,
             cycle::detail::findCycle(static_cast<const Node*>(list.head), next, c).entry !=
                 nullptr)

template <typename Counts> int64_t shortEach(ShortLists& lists, Counts& counts) {
    auto next = nextLink;
    bool* verdicts = lists.verdicts.get();
    cycle::detail::checkEach(lists.heads.data(), lists.heads.size(), next, verdicts,
                             cycle::DEFAULT_IN_FLIGHT, counts);
    int64_t cyclic = 0;
    for (size_t i = 0; i < lists.heads.size(); i++) {
        cyclic += verdicts[i];
    }
    return cyclic;
}
template int64_t shortEach(ShortLists&, NoCounts&);
template int64_t shortEach(ShortLists&, StepCounts&);

template <typename Counts> int64_t shortTraverseInFlight(ShortLists& lists, Counts& counts) {
    return walkInFlight(lists.heads.data(), lists.lengths.data(), lists.heads.size(),
                        cycle::DEFAULT_IN_FLIGHT, counts);
}
template int64_t shortTraverseInFlight(ShortLists&, NoCounts&);
template int64_t shortTraverseInFlight(ShortLists&, StepCounts&);

const ShortKernel SHORT_KERNELS[] = {
    {"traverse", shortTraverse, shortTraverse, false, false},
    {"walk", shortWalk, shortWalk, true, false},
    {"hascycle", shortHascycle, shortHascycle, false, false},
    {"hascycle_fnptr", shortHascycleFnptr, shortHascycleFnptr, false, false},
    {"findcycle", shortFindcycle, shortFindcycle, false, false},
    {"brent", shortBrent, shortBrent, false, false},
    {"hare", shortHare, shortHare, false, false},
    {"nivasch", shortNivasch, shortNivasch, false, false},
    {"each", shortEach, shortEach, false, true},
};
const size_t SHORT_KERNEL_COUNT = sizeof(SHORT_KERNELS) / sizeof(SHORT_KERNELS[0]);

int64_t (*const SHORT_WALK_FLOORS[])(ShortLists&, NoCounts&) = {
    shortWalkAt0By1, shortWalkAt16By1, shortWalkAt32By1, shortWalkAt48By1,
    shortWalkAt0By2, shortWalkAt16By2, shortWalkAt32By2, shortWalkAt48By2,
};
const size_t SHORT_WALK_FLOOR_COUNT = sizeof(SHORT_WALK_FLOORS) / sizeof(SHORT_WALK_FLOORS[0]);
