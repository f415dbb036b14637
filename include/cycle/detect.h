// Cycle detection in singly linked lists of any node type.
//
// Every function takes the head (nullptr for an empty list) and next, any
// callable that takes const Node* and returns the following node (const Node*
// or Node*), or nullptr at the end of a linear list. None calls next on
// nullptr, none writes to the list, none allocates, and none throws unless
// next does. In the bounds, mu is the number of nodes before the cycle and
// lambda its length, so that a cyclic list has mu + lambda nodes. A linear
// list of n nodes costs n calls of next (brent, nivasch), n and at most 111
// more (hasCycle, findCycle: a cursor trailing at half speed over the
// first 224 nodes), or about 1.5 n (floyd).
//
//     bool looped = cycle::hasCycle(head, [](const Item* item) { return item->next; });
#ifndef CYCLE_DETECT_H
#define CYCLE_DETECT_H

#include "detail/checkpoints.h"
#include "detail/interleave.h"
#include "detail/tally.h"
#include "detail/walks.h"
#include "mapping.h"
#include "period.h"

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

// The checkpoints of a list walk: LIST_SLOTS (64) of them, with their keys
// in 2^LIST_TABLE_BITS (64) buckets of two (1 KiB); 2 KiB in all.
template <typename Node>
using ListCheckpoints = Checkpoints<const Node*, LIST_SLOTS, LIST_TABLE_BITS, LIST_STRETCH>;

// hasCycle with a tally.
template <typename Node, typename Next, typename Tally>
CYCLE_ALWAYS_INLINE bool hasCycle(const Node* head, Next& next, Tally& tally) {
    if (head == nullptr) {
        return false;
    }
    ListSteps<Node, Next> steps{next};
    ListCheckpoints<Node> marks;
    const Node* met = nullptr;
    return sightListRepeat(head, steps, marks, met, tally).repeat >= 0;
}

// findCycle with a tally.
template <typename Node, typename Next, typename Tally>
CYCLE_ALWAYS_INLINE Cycle<Node> findCycle(const Node* head, Next& next, Tally& tally) {
    if (head == nullptr) {
        return {nullptr, 0, 0};
    }
    ListSteps<Node, Next> steps{next};
    ListCheckpoints<Node> marks;
    const Node* met = nullptr;
    Sighting seen = sightListRepeat(head, steps, marks, met, tally);
    if (seen.repeat < 0) {
        return {nullptr, seen.position, 0};
    }
    Located<const Node*> found = seen.position <= LIST_STRETCH
                                     ? locateMeeting(steps, head, met, seen, tally)
                                     : locateCycle(steps, marks, seen, tally);
    return {found.entry, found.mu, found.lambda};
}

} // namespace detail

// True if the list from head is cyclic: the recommended detector, as cheap
// as a walk to the end on lists of every length. Up to 224 nodes the hare's
// walk, inlined here: a fast cursor and a slow one trailing at half speed;
// then, out of line, one cursor and a table of checkpoints. 2 KiB on the
// stack. On a cycle, at most 3 (mu + lambda) calls of next when mu + lambda
// <= 112, else at most max(2 max(mu, lambda), 224) + lambda + 112, whatever
// the nodes' addresses; past 224 nodes typically mu + lambda + 112 and under
// one gap more, the gap 32 or a 31st of the calls. No threads.
template <typename Node, typename Next>
CYCLE_ALWAYS_INLINE bool hasCycle(const Node* head, Next next) {
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
// of stacks on the stack. At most mu + 2 lambda calls of next (expected
// mu + 1.03 lambda) while no stack fills, which takes 65 nodes ordered by
// the stacks' hash; a full stack hands the rest of the walk to Brent's
// method, and then at most max(2 mu + lambda, mu + 5 lambda) in all.
template <typename Node, typename Next> bool nivasch(const Node* head, Next next) {
    detail::NoTally none;
    return detail::nivaschWalk(head, next, none);
}

// The cycle of the list from head: its entry, mu and lambda, exact. 2 KiB
// on the stack, as hasCycle, and its walk. Then, where the cursors met within
// the first 224 nodes, at most 2 mu + lambda + 2 more calls (Floyd's
// second walk, then once round); otherwise under 11 gaps (a gap is 32, or a 31st of
// hasCycle's calls) to locate the entry, plus at most 224 when mu <= 224;
// typically mu + lambda and a few gaps. No threads.
template <typename Node, typename Next>
CYCLE_ALWAYS_INLINE Cycle<Node> findCycle(const Node* head, Next next) {
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
