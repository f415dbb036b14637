// Cycle detection in singly linked lists of any node type.
//
// Every function takes the head (nullptr for an empty list) and next, any
// callable that takes const Node* and returns the following node (const Node*
// or Node*), or nullptr at the end of a linear list. None calls next on
// nullptr, none writes to the list, none allocates, and none throws unless
// next does. In the bounds, mu is the number of nodes before the cycle and
// lambda its length, so that a cyclic list has mu + lambda nodes; a linear
// list of n nodes costs n calls of next (floyd: about 1.5 n).
//
//     bool looped = cycle::hasCycle(head, [](const Item* item) { return item->next; });
#ifndef CYCLE_DETECT_H
#define CYCLE_DETECT_H

#include "detail/checkpoints.h"
#include "detail/interleave.h"
#include "detail/tally.h"
#include "detail/walks.h"

#include <cstddef>
#include <cstdint>

namespace cycle {

// Where a list's cycle starts: entry is its first node on the cycle, mu the
// number of nodes before entry, lambda the cycle's length. A linear list of
// n nodes gives {nullptr, n, 0}.
template <typename Node> struct Cycle {
    const Node* entry;
    int64_t mu;
    int64_t lambda;
};

namespace detail {

// hasCycle with a tally.
template <typename Node, typename Next, typename Tally>
bool hasCycle(const Node* head, Next& next, Tally& tally) {
    if (head == nullptr) {
        return false;
    }
    Checkpoints<Node> marks;
    return sightRepeat(head, next, tally, marks).repeat != nullptr;
}

// findCycle with a tally. After the sighting, lambda is known; mu is the first
// position p with node(p) == node(p + lambda), a test that holds from mu on.
// A binary search over the checkpoints up to the repeat (each probe fewer
// than gap calls) brackets mu within one gap, and two pointers lambda apart
// close it.
template <typename Node, typename Next, typename Tally>
Cycle<Node> findCycle(const Node* head, Next& next, Tally& tally) {
    if (head == nullptr) {
        return {nullptr, 0, 0};
    }
    Checkpoints<Node> marks;
    Sighting<Node> seen = sightRepeat(head, next, tally, marks);
    if (seen.repeat == nullptr) {
        return {nullptr, seen.position, 0};
    }
    int64_t repeat = marks.count - 1;
    while (marks.held[repeat] != seen.repeat) {
        repeat--;
    }
    const int64_t gap = marks.gap;
    const int64_t lambda = seen.position - repeat * gap;

    // The first checkpoint on the cycle is in [low, high]; repeat's is on it.
    int64_t moves = 0;
    int64_t low = 0;
    int64_t high = repeat;
    while (low < high) {
        int64_t middle = low + (high - low) / 2;
        if (nodeAt(marks, next, middle * gap + lambda, moves) == marks.held[middle]) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    if (low == 0) {
        countMoves(tally, moves, moves);
        return {head, 0, lambda};
    }
    // mu lies in ((low - 1) gap, low gap]: walk the pair until they meet.
    const Node* behind = marks.held[low - 1];
    const Node* ahead = nodeAt(marks, next, (low - 1) * gap + lambda, moves);
    int64_t mu = (low - 1) * gap;
    int64_t chain = moves;
    while (behind != ahead) {
        behind = next(behind);
        ahead = next(ahead);
        mu++;
        moves += 2;
        chain++;
    }
    countMoves(tally, moves, chain);
    return {behind, mu, lambda};
}

} // namespace detail

// True if the list from head is cyclic: the recommended detector, one
// pointer and a 4.5 KiB table of checkpoints on the stack. At most
// 2 max(mu, lambda, 8) + lambda calls of next; typically mu + lambda and at
// most one gap more, the gap 16 or under a 31st of the calls made.
template <typename Node, typename Next> bool hasCycle(const Node* head, Next next) {
    detail::NoTally none;
    return detail::hasCycle(head, next, none);
}

// Floyd's tortoise and hare: true if the list is cyclic. Two pointers, no
// other memory; at most 3 (mu + lambda) calls of next, the fast pointer's
// 2 (mu + lambda) of them one dependent chain.
template <typename Node, typename Next> bool floyd(const Node* head, Next next) {
    detail::NoTally none;
    return detail::floydCyclic(detail::floydWalk(head, next, none));
}

// Brent's method: true if the list is cyclic. Two pointers and two counters;
// at most 2 max(mu, lambda) + lambda calls of next.
template <typename Node, typename Next> bool brent(const Node* head, Next next) {
    detail::NoTally none;
    return detail::brentWalk(head, next, none);
}

// Nivasch's stack algorithm with 32 stacks: true if the list is cyclic. 16 KiB
// of stacks on the stack; at most mu + 2 lambda calls of next (expected
// mu + 1.03 lambda), or Brent's bound after a stack fills, which takes
// lists ordered by the stacks' hash of 64 and more nodes.
template <typename Node, typename Next> bool nivasch(const Node* head, Next next) {
    detail::NoTally none;
    return detail::nivaschWalk(head, next, none);
}

// The cycle of the list from head: its entry, mu and lambda, exact. 4.5 KiB
// on the stack, as hasCycle. At most hasCycle's calls plus 9 gaps (each 16 or
// under a 31st of them), typically mu + lambda and a few gaps.
template <typename Node, typename Next> Cycle<Node> findCycle(const Node* head, Next next) {
    detail::NoTally none;
    return detail::findCycle(head, next, none);
}

// The default number of lists hasCycleEach keeps in flight: the number that
// measured fastest on lists scattered over memory. Lists laid out in order,
// which the hardware prefetcher streams in, do best with 8 to 16.
constexpr size_t DEFAULT_IN_FLIGHT = 64;

// Sets cyclic[i] to whether the list from heads[i] is cyclic, for i < count,
// walking in_flight lists at a time in one thread (clamped to 1..64) so that
// their misses overlap: each step prefetches the node whose next the cursor
// calls on its following turn (with GCC and Clang). Brent's method per list, keeping two tortoises:
// at most 2 max(mu, lambda) + lambda calls of next for each, about 1.25 (mu + lambda) for a cycle
// entered at a random point. 48 bytes a list in flight on the stack (3 KiB); heads may hold
// nullptr, count may be 0.
template <typename Node, typename Next>
void hasCycleEach(const Node* const* heads, size_t count, Next next, bool* cyclic,
                  size_t in_flight = DEFAULT_IN_FLIGHT) {
    if (in_flight < 1) {
        in_flight = 1;
    }
    if (in_flight > detail::MOST_IN_FLIGHT) {
        in_flight = detail::MOST_IN_FLIGHT;
    }
    detail::NoTally none;
    detail::checkEach(heads, count, next, cyclic, in_flight, none);
}

} // namespace cycle

#endif
