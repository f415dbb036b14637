// The single-list kernels' bodies, declared in list_kernels.h, in a header
// so that the short-list kernels inline them in their loop over the lists
// as a caller's code would: a call a list would be part of every short row's
// time, the floors' included.
#ifndef CYCLE_BENCH_LIST_WALKS_H
#define CYCLE_BENCH_LIST_WALKS_H

#include "common/node_sets.h"
#include "cycle/detect.h"
#include "lists/next_link.h"
#include "step_counts.h"

#include <unordered_set>

// next as a plain function, as callers with a C-style accessor have it;
// static, as a caller's own file would have it, so that the compiler knows
// which registers a call of it leaves alone.
[[maybe_unused]] static const Node* nextOf(const Node* node) {
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

// The walk to nullptr as the floor of the short rows takes it: the loop
// placed Offset bytes into a 64-byte line (the padding jumped over), and
// moving one node a turn or two. On lists of mixed lengths, whose every end
// is a mispredicted exit that waits on the last load, the same loop costs
// from 0.7x to 1.3x as much by its placement and its steps a turn alone
// (AMD Zen 5), so the floor is the fastest of a few placements and both
// steps, round by round: a walk the lists cannot do without, at its best.
// The empty asm keeps the loop, as in walk.
template <int Offset, int Steps, typename Counts> int walkPlaced(BenchList list, Counts& counts) {
    const Node* node = list.head;
#if defined(__x86_64__)
    __asm__ volatile("jmp 1f\n.p2align 6\n.skip %c0, 0xcc\n1:" : : "i"(Offset));
#endif
    while (node != nullptr) {
        node = node->next;
        if (Steps == 2) {
            if (node == nullptr) {
                break;
            }
            node = node->next;
        }
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

#endif
