// Cycle detection in singly linked lists of any node type.
//
// Every function takes the head (nullptr for an empty list) and next, any
// callable that takes const Node* and returns the following node (const
// Node* or Node*), or nullptr at the end of a linear list. None calls next
// on nullptr, writes to the list or allocates. In the contracts, mu is the
// number of nodes before the cycle and lambda its length, so that a cyclic
// list has mu + lambda nodes; docs/library.md derives each bound.
//
//     bool looped = cycle::hasCycle(head, [](const Item* item) { return item->next; });
#ifndef CYCLE_LISTS_H
#define CYCLE_LISTS_H

#include "detail/classic_walks.h"
#include "detail/config.h"
#include "detail/interleave.h"
#include "detail/list_walk.h"
#include "detail/tally.h"
#include "results.h"

#include <cstddef>

namespace cycle {

// Whether the list from head is cyclic: the detector to use, as cheap as a
// walk to the end on lists of every length.
//   Returns: true if cyclic; false for nullptr and every linear list.
//   Calls:   a linear list of n nodes, n + min((n - 3) / 2, 111) for n >= 3;
//            a cycle, at most 3 (mu + lambda) when mu + lambda <= 112, else
//            at most max(2 max(mu, lambda), 224) + lambda + 112, whatever
//            the nodes' addresses; typically mu + lambda + 112 and a gap (32,
//            or a 31st of the calls).
//   Memory:  2 KiB on the stack.
//   Threads: none.
//   Throws:  only what next throws.
template <typename Node, typename Next>
CYCLE_ALWAYS_INLINE bool hasCycle(const Node* head, Next next) {
    detail::NoTally none;
    return detail::hasCycle(head, next, none);
}

// Where the list's cycle starts.
//   Returns: {entry, mu, lambda}, exact; {nullptr, n, 0} for a linear list
//            of n nodes, {nullptr, 0, 0} for nullptr.
//   Calls:   hasCycle's, S; then 2 mu + lambda + 2 more where the cursors met
//            within the first 224 nodes, else under 11 gaps (a gap is 32, or
//            S / 31), and 224 more when mu <= 224; typically mu + lambda and
//            a few gaps.
//   Memory:  2 KiB on the stack.
//   Threads: none.
//   Throws:  only what next throws.
template <typename Node, typename Next>
CYCLE_ALWAYS_INLINE Cycle<Node> findCycle(const Node* head, Next next) {
    detail::NoTally none;
    return detail::findCycle(head, next, none);
}

// Floyd's tortoise and hare.
//   Returns: true if cyclic.
//   Calls:   at most 3 (mu + lambda), the fast pointer's 2 (mu + lambda) one
//            dependent chain; about 1.5 n on a linear list of n nodes.
//   Memory:  two pointers.
//   Threads: none.
//   Throws:  only what next throws.
template <typename Node, typename Next> bool floyd(const Node* head, Next next) {
    detail::NoTally none;
    return detail::floydCyclic(detail::floydWalk(head, next, none));
}

// Brent's method.
//   Returns: true if cyclic.
//   Calls:   at most 2 max(mu, lambda) + lambda; n on a linear list.
//   Memory:  two pointers and two counters.
//   Threads: none.
//   Throws:  only what next throws.
template <typename Node, typename Next> bool brent(const Node* head, Next next) {
    detail::NoTally none;
    return detail::brentWalk(head, next, none);
}

// Nivasch's stack algorithm with 32 stacks.
//   Returns: true if cyclic.
//   Calls:   at most mu + 2 lambda (expected mu + 1.03 lambda) while no stack
//            fills, which takes 65 nodes ordered by the stacks' hash; a full
//            stack hands the rest of the walk to Brent's method, and then at
//            most max(2 mu + lambda, mu + 5 lambda) in all.
//   Memory:  16 KiB of stacks on the stack.
//   Threads: none.
//   Throws:  only what next throws.
template <typename Node, typename Next> bool nivasch(const Node* head, Next next) {
    detail::NoTally none;
    return detail::nivaschWalk(head, next, none);
}

// The lists hasCycleEach keeps in flight by default: the number that
// measured fastest on lists scattered over memory. Lists laid out in order,
// which the hardware prefetcher streams in, do best with 8 to 16.
constexpr size_t DEFAULT_IN_FLIGHT = 64;

// Whether each of many lists is cyclic, in_flight (clamped to 1..64) walked
// at once so that their misses overlap.
//   Requires: heads[i] and cyclic[i] for i < count; heads may hold nullptr,
//            count may be 0.
//   Returns: cyclic[i] set for every i < count.
//   Calls:   Brent's method with two tortoises per list: at most
//            2 max(mu, lambda) + lambda a list, about 1.25 (mu + lambda) for
//            a cycle entered at a random point; each step prefetches the
//            node whose next the cursor calls on its following turn.
//   Memory:  48 bytes a list in flight on the stack (3 KiB).
//   Threads: none; the lists interleave on the calling thread.
//   Throws:  only what next throws.
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
