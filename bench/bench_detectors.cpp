#include "bench_detectors.h"

#include "cycle/detect.h"

#include <unordered_set>

// next as a plain function, as callers with a C-style accessor have it.
static const Node* nextOf(const Node* node) {
    return node->next;
}

template <typename Counts> int traverse(BenchList list, Counts& counts) {
    const Node* node = list.head;
    for (int64_t i = 0; i < list.n; i++) {
        node = node->next;
    }
    countMoves(counts, list.n, list.n);
    return node != nullptr;
}

// An empty asm on each node keeps the compiler from dropping the loop, whose
// result it could otherwise deduce from the head alone, and adds no
// instruction: nothing else rides on the loop, no counter, no length.
template <typename Counts> int walk(BenchList list, Counts& counts) {
    const Node* node = list.head;
    while (node != nullptr) {
        node = node->next;
        __asm__ volatile("" : "+r"(node));
    }
    countMoves(counts, list.n, list.n);
    return list.head == nullptr && list.n > 0;
}

// The sum is returned through a test the compiler cannot fold, so that every
// load stays; values are positive, so the sum is never negative.
template <typename Counts> int stream(BenchList list, Counts&) {
    int64_t sum = 0;
    for (int64_t i = 0; i < list.n; i++) {
        sum += list.order[i]->val;
    }
    return sum < 0;
}

// The trailing pointer is returned through a test so that its loads stay.
template <typename Counts> int trail(BenchList list, Counts& counts) {
    const Node* node = list.head;
    const Node* trailing = list.head;
    for (int64_t i = 0; i < list.n; i++) {
        node = node->next;
        if ((i & 1) != 0) {
            trailing = trailing->next;
        }
    }
    countMoves(counts, list.n + list.n / 2, list.n);
    return (node != nullptr) & (trailing != nullptr);
}

template <typename Counts> int brent(BenchList list, Counts& counts) {
    auto next = nextLink;
    return cycle::detail::brentWalk(static_cast<const Node*>(list.head), next, counts);
}

// bench/stacks builds the bench once for each count of stacks it compares.
#ifndef BENCH_NIVASCH_STACK_BITS
#define BENCH_NIVASCH_STACK_BITS 5
#endif

template <typename Counts> int nivasch(BenchList list, Counts& counts) {
    auto next = nextLink;
    return cycle::detail::nivaschWalk<BENCH_NIVASCH_STACK_BITS>(static_cast<const Node*>(list.head),
                                                                next, counts);
}

template <typename Counts> int hascycle(BenchList list, Counts& counts) {
    auto next = nextLink;
    return cycle::detail::hasCycle(static_cast<const Node*>(list.head), next, counts);
}

template <typename Counts> int findcycle(BenchList list, Counts& counts) {
    auto next = nextLink;
    return cycle::detail::findCycle(static_cast<const Node*>(list.head), next, counts).entry !=
           nullptr;
}

template <typename Counts> int hascycleFnptr(BenchList list, Counts& counts) {
    auto next = &nextOf;
    return cycle::detail::hasCycle(static_cast<const Node*>(list.head), next, counts);
}

template <typename Counts> int hashset(BenchList list, Counts& counts) {
    std::unordered_set<const Node*> seen;
    seen.reserve(static_cast<size_t>(list.n));
    for (const Node* node = list.head; node != nullptr; node = node->next) {
        if (!seen.insert(node).second) {
            return 1;
        }
        countEntries(counts, static_cast<int64_t>(seen.size()));
        countMoves(counts, 1, 1);
    }
    return 0;
}

template <typename Counts>
int64_t walkMany(const ManyLists& lists, size_t first, size_t end, size_t in_flight,
                 Counts& counts) {
    const Node* cursors[cycle::detail::MOST_IN_FLIGHT];
    int64_t left[cycle::detail::MOST_IN_FLIGHT];
    size_t taken = first;
    size_t active = 0;
    int64_t moves = 0;
    int64_t ends = 0;
    for (; active < in_flight && taken < end; active++, taken++) {
        cursors[active] = lists.heads[taken];
        left[active] = lists.lengths[taken];
    }
    while (active > 0) {
        for (size_t i = 0; i < active;) {
            cursors[i] = cursors[i]->next;
            cycle::detail::prefetchLine(cursors[i]);
            moves++;
            if (--left[i] > 0) {
                i++;
                continue;
            }
            ends += cursors[i] != nullptr;
            if (taken < end) {
                cursors[i] = lists.heads[taken];
                left[i] = lists.lengths[taken];
                taken++;
                i++;
            } else {
                active--;
                cursors[i] = cursors[active];
                left[i] = left[active];
            }
        }
    }
    countMoves(counts, moves, moves);
    return ends;
}

template <typename Counts>
void checkMany(const ManyLists& lists, size_t first, size_t end, size_t in_flight, bool* cyclic,
               Counts& counts) {
    auto next = nextLink;
    cycle::detail::checkEach(lists.heads.data() + first, end - first, next, cyclic + first,
                             in_flight, counts);
}

template int64_t walkMany(const ManyLists&, size_t, size_t, size_t, NoCounts&);
template int64_t walkMany(const ManyLists&, size_t, size_t, size_t, StepCounts&);
template void checkMany(const ManyLists&, size_t, size_t, size_t, bool*, NoCounts&);
template void checkMany(const ManyLists&, size_t, size_t, size_t, bool*, StepCounts&);

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

#define INSTANTIATE_FOR_BOTH_COUNTS(detector)                                                      \
    template int detector(BenchList, NoCounts&);                                                   \
    template int detector(BenchList, StepCounts&);

INSTANTIATE_FOR_BOTH_COUNTS(traverse)
INSTANTIATE_FOR_BOTH_COUNTS(walk)
INSTANTIATE_FOR_BOTH_COUNTS(stream)
INSTANTIATE_FOR_BOTH_COUNTS(trail)
INSTANTIATE_FOR_BOTH_COUNTS(brent)
INSTANTIATE_FOR_BOTH_COUNTS(nivasch)
INSTANTIATE_FOR_BOTH_COUNTS(hascycle)
INSTANTIATE_FOR_BOTH_COUNTS(findcycle)
INSTANTIATE_FOR_BOTH_COUNTS(hascycleFnptr)
INSTANTIATE_FOR_BOTH_COUNTS(hashset)
