#include "list_kernels.h"

#include "hare_walk.h"
#include "link_reversal.h"

#include "cycle/detect.h"

#include <unordered_set>

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

// The programs' two detectors, as they ship.
static int hare(BenchList list, NoCounts&) {
    return hareWalk(list.head).cyclic;
}
static int hare(BenchList list, StepCounts& counts) {
    return hareWalkCounted(list.head, counts).cyclic;
}

static int reverse(BenchList list, NoCounts&) {
    return reverseLinks(list.head).ending != REVERSAL_LINEAR;
}
static int reverse(BenchList list, StepCounts& counts) {
    return reverseLinksCounted(list.head, counts).ending != REVERSAL_LINEAR;
}

// hascycle_fnptr shows what a pointer to a function costs at one size;
// hashset would only time the flush's refill of its table when cold.
constexpr int64_t FNPTR_SIZE = 1000000;

const Kernel KERNELS[] = {
    {"traverse", traverse, traverse, false, false, 0},
    {"stream", stream, stream, true, false, 0},
    {"trail", trail, trail, true, false, 0},
    {"hare", hare, hare, false, false, 0},
    {"reverse", reverse, reverse, false, false, 0},
    {"brent", brent, brent, false, false, 0},
    {"nivasch", nivasch, nivasch, false, false, 0},
    {"hascycle", hascycle, hascycle, false, false, 0},
    {"findcycle", findcycle, findcycle, false, false, 0},
    {"hascycle_fnptr", hascycleFnptr, hascycleFnptr, false, false, FNPTR_SIZE},
    {"hashset", hashset, hashset, false, true, 0},
};
const size_t KERNEL_COUNT = sizeof(KERNELS) / sizeof(KERNELS[0]);
