// The classic detectors: Floyd's tortoise and hare, Brent's method and
// Nivasch's stack algorithm, each over any node type and next callable.
#ifndef CYCLE_DETAIL_CLASSIC_WALKS_H
#define CYCLE_DETAIL_CLASSIC_WALKS_H

#include "spread.h"
#include "tally.h"

#include <cstdint>

namespace cycle {
namespace detail {

// How Floyd's walk ended: decided by a look at the first links, or by the
// walk itself, so that a caller can report each case in its own words.
enum FloydEnd {
    FLOYD_EMPTY,
    FLOYD_SINGLE,
    FLOYD_SELF_LOOP,
    FLOYD_TWO_LINEAR,
    FLOYD_TWO_CYCLIC,
    FLOYD_WALK_LINEAR,
    FLOYD_WALK_CYCLIC
};

inline bool floydCyclic(FloydEnd end) {
    return end == FLOYD_SELF_LOOP || end == FLOYD_TWO_CYCLIC || end == FLOYD_WALK_CYCLIC;
}

// The tortoise and hare: the fast pointer starts two nodes ahead and moves two
// links per pass, the slow one one. Lists of up to two nodes (and two-node
// cycles) are decided by the first links. The quick look counts nothing; the
// fast pointer's start two links ahead does, as two moves of the chain.
template <typename Node, typename Next, typename Tally>
FloydEnd floydWalk(const Node* head, Next& next, Tally& tally) {
    if (head == nullptr) {
        return FLOYD_EMPTY;
    }
    const Node* second = next(head);
    if (second == nullptr) {
        return FLOYD_SINGLE;
    }
    if (second == head) {
        return FLOYD_SELF_LOOP;
    }
    const Node* third = next(second);
    if (third == nullptr) {
        return FLOYD_TWO_LINEAR;
    }
    if (third == head || third == second) {
        return FLOYD_TWO_CYCLIC;
    }

    // On a cycle the fast pointer laps the slow one within n - 1 passes; on a
    // linear list it falls off the end first.
    const Node* fast = third;
    const Node* slow = head;
    countMoves(tally, 2, 2);
    for (;;) {
        const Node* ahead = next(fast);
        if (ahead == nullptr) {
            return FLOYD_WALK_LINEAR;
        }
        if (fast == slow) {
            return FLOYD_WALK_CYCLIC;
        }
        fast = next(ahead);
        slow = next(slow);
        countMoves(tally, 3, 2);
        if (fast == nullptr) {
            return FLOYD_WALK_LINEAR;
        }
    }
}

// Brent's method from start: a runner walks alone, and a tortoise jumps to it
// whenever the runner has gone a power of two links since the last jump. At
// most 2 max(mu, lambda) + lambda calls of next.
template <typename Node, typename Next, typename Tally>
bool brentWalk(const Node* start, Next& next, Tally& tally) {
    if (start == nullptr) {
        return false;
    }
    const Node* tortoise = start;
    const Node* runner = next(start);
    int64_t moves = 1;
    int64_t power = 1;
    int64_t length = 1;
    while (runner != nullptr && runner != tortoise) {
        if (power == length) {
            tortoise = runner;
            power *= 2;
            length = 0;
        }
        runner = next(runner);
        moves++;
        length++;
    }
    countMoves(tally, moves, moves);
    return runner != nullptr;
}

// Nivasch's stacks, partitioned: each node's value picks one of them by its
// top bits, 5 of them unless a caller asks for another count (1 to 10 bits)
// through nivaschWalk's template argument.
constexpr int NIVASCH_STACK_BITS = 5;
constexpr int NIVASCH_STACKS = 1 << NIVASCH_STACK_BITS;
constexpr int NIVASCH_STACK_CAPACITY = 64;

// A node's value: its offset from the head, times an odd constant, plus a
// constant. Each step is a bijection of the address, so equal values mean the
// same node. The product scatters the increasing addresses of nodes allocated
// in list order; the offset makes the walk the same wherever the allocator
// placed the list; the added constant keeps the head from always holding the
// smallest value, which would favour a cycle through the head.
template <typename Node> uint64_t nivaschValue(const Node* node, const Node* head) {
    uint64_t offset = reinterpret_cast<uintptr_t>(node) - reinterpret_cast<uintptr_t>(head);
    return offset * KEY_MULTIPLIER + 0x5851F42D4C957F2Du;
}

// For each node: pop every entry greater than its value; if the top then holds
// the value, the node is seen again and the list is cyclic; otherwise push it.
// The next link is loaded first, so that a miss on it overlaps the stack work.
// At most mu + 2 lambda calls while no stack fills. A full stack (about
// ln(n / stacks) entries are expected) hands the walk over to Brent's method
// from the following node, which still decides: then the k calls made so far
// plus Brent's bound on the rest, at most max(2 mu + lambda, mu + 5 lambda)
// in all.
template <int StackBits = NIVASCH_STACK_BITS, typename Node, typename Next, typename Tally>
bool nivaschWalk(const Node* head, Next& next, Tally& tally) {
    static_assert(StackBits >= 1 && StackBits <= 10, "1 to 10 bits pick a stack");
    constexpr int stack_count = 1 << StackBits;
    uint64_t stacks[stack_count][NIVASCH_STACK_CAPACITY];
    int heights[stack_count] = {};
    int64_t entries = 0;
    int64_t moves = 0;
    const Node* node = head;
    while (node != nullptr) {
        const Node* following = next(node);
        uint64_t value = nivaschValue(node, head);
        int which = static_cast<int>(value >> (64 - StackBits));
        uint64_t* stack = stacks[which];
        int height = heights[which];
        while (height > 0 && stack[height - 1] > value) {
            height--;
        }
        if (height > 0 && stack[height - 1] == value) {
            countMoves(tally, moves, moves);
            return true;
        }
        if (height == NIVASCH_STACK_CAPACITY) {
            countMoves(tally, moves + 1, moves + 1);
            return brentWalk(following, next, tally);
        }
        stack[height] = value;
        entries += height + 1 - heights[which];
        heights[which] = height + 1;
        countEntries(tally, entries);
        node = following;
        moves++;
    }
    countMoves(tally, moves, moves);
    return false;
}

} // namespace detail
} // namespace cycle

#endif
