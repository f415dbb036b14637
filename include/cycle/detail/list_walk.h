// The list walk behind hasCycle and findCycle: the hare's first stretch,
// inlined where it is called, then the table stretch (table_stretch.h), and
// the cycle located from a meeting of the hare (locateMeeting) or from the
// checkpoints (locateCycle).
//
// Costs, in calls of next: a linear list of n nodes, n and at most 111 more
// (the slow cursor over the first 224 nodes); a cycle, 3 (mu + lambda) when
// it is caught within the first stretch, otherwise at most
// max(2 max(mu, lambda), 224) + lambda + 112. The checkpoints take 2 KiB on
// the stack; nothing is allocated and no thread started.
#ifndef CYCLE_DETAIL_LIST_WALK_H
#define CYCLE_DETAIL_LIST_WALK_H

#include "../results.h"
#include "checkpoint_table.h"
#include "config.h"
#include "locate_cycle.h"
#include "spread.h"
#include "table_stretch.h"
#include "tally.h"

#include <cstdint>

namespace cycle {
namespace detail {

// A list as the walk sees it: next's nodes, ended by nullptr, keyed by
// address.
template <typename Node, typename Next> struct ListSteps {
    using Value = const Node*;
    Next& next;

    const Node* advance(const Node* node) {
        return next(node);
    }
    static bool ended(const Node* node) {
        return node == nullptr;
    }
    uint64_t key(const Node* node) const {
        return spreadKey(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(node)));
    }
};

// The checkpoints of a list walk: LIST_SLOTS (64) of them, with their keys
// in 2^LIST_TABLE_BITS (64) buckets of two (1 KiB); 2 KiB in all.
template <typename Node>
using ListCheckpoints = Checkpoints<const Node*, LIST_SLOTS, LIST_TABLE_BITS, LIST_STRETCH>;

// The first stretch of a list walk, inlined where the walk is called: the
// hare's. A fast cursor starts two nodes ahead and goes two a turn, up to
// position STRETCH, and a slow one trails at one (Floyd's tortoise and
// hare), so that a turn costs the fast cursor's two loads, their two tests
// and one compare; every 32nd node the fast cursor reaches is saved for the
// table stretch that follows. A meeting after t turns is a repeat, value(t)
// == value(2t + 2), so t >= mu and lambda divides the lap t + 2; met is then
// the node at t. Calls: the fast cursor's, plus the slow one's (at most
// STRETCH / 2 - 1); a meeting within the stretch takes at most 3 (mu +
// lambda) - 1 calls.
template <typename Node, typename Next, typename Saved, typename Tally>
CYCLE_ALWAYS_INLINE Sighting sightListRepeat(const Node* head, ListSteps<Node, Next>& steps,
                                             Saved& checkpoints, const Node*& met, Tally& tally) {
    constexpr int64_t gap = firstGap(Saved::STRETCH);
    static_assert(Saved::STRETCH % gap == 0 && Saved::STRETCH / gap + 1 <= FIRST_CHECKPOINTS,
                  "the hare's saves are the first table's checkpoints");
    const Node* slow = head;
    const Node* fast = steps.advance(head);
    if (fast == nullptr) {
        countMoves(tally, 1, 1);
        return {-1, 1};
    }
    fast = steps.advance(fast);
    if (fast == nullptr || fast == head) {
        met = head;
        countMoves(tally, 2, 2);
        return {fast == nullptr ? -1 : 0, 2};
    }
    int64_t turns = 0;
    int64_t block_end = gap / 2 - 1; // the fast cursor then at a multiple of gap
    for (;;) {
        do {
            fast = steps.advance(fast);
            if (CYCLE_RARELY(fast == nullptr)) {
                countMoves(tally, 3 * turns + 3, 2 * turns + 3);
                return {-1, 2 * turns + 3};
            }
            fast = steps.advance(fast);
            if (CYCLE_RARELY(fast == nullptr)) {
                countMoves(tally, 3 * turns + 4, 2 * turns + 4);
                return {-1, 2 * turns + 4};
            }
            slow = steps.advance(slow);
            turns++;
            if (CYCLE_RARELY(fast == slow)) {
                met = slow;
                countMoves(tally, 3 * turns + 2, 2 * turns + 2);
                return {turns, 2 * turns + 2};
            }
        } while (turns != block_end);
        if (checkpoints.count == 0) {
            holdCheckpoint(checkpoints, head);
        }
        holdCheckpoint(checkpoints, fast);
        if (2 * turns + 2 == Saved::STRETCH) {
            break;
        }
        block_end += gap / 2;
    }
    countMoves(tally, turns, 0);
    return tableStretch(fast, checkpoints.held[firstAnchor(Saved::STRETCH) / gap].value, steps,
                        checkpoints, NO_LIMIT, tally);
}

// The cycle of a list whose hare met the tortoise, at met, after seen: the
// lap seen.position - seen.repeat is a multiple of lambda, so Floyd's second
// walk, from the head and from the node a lap past it (met moved on to the
// lap), in step, meets at the entry, and a walk round from there measures
// lambda. At most 2 mu + lambda + 2 calls.
template <typename Node, typename Next, typename Tally>
CYCLE_NOINLINE Cycle<Node> locateMeeting(ListSteps<Node, Next>& steps, const Node* head,
                                         const Node* met, Sighting seen, Tally& tally) {
    int64_t moves = 0;
    for (int64_t at = seen.repeat; at < seen.position - seen.repeat; at++) {
        met = steps.advance(met);
        moves++;
    }
    int64_t mu = 0;
    const Node* entry = head;
    while (entry != met) {
        entry = steps.advance(entry);
        met = steps.advance(met);
        mu++;
    }
    int64_t lambda = 1;
    for (const Node* around = steps.advance(entry); around != entry;
         around = steps.advance(around)) {
        lambda++;
    }
    countMoves(tally, moves + 2 * mu + lambda, moves + mu + lambda);
    return {entry, mu, lambda};
}

// hasCycle with a tally.
template <typename Node, typename Next, typename Tally>
CYCLE_ALWAYS_INLINE bool hasCycle(const Node* head, Next& next, Tally& tally) {
    if (head == nullptr) {
        return false;
    }
    ListSteps<Node, Next> steps{next};
    ListCheckpoints<Node> checkpoints;
    const Node* met = nullptr;
    return sightListRepeat(head, steps, checkpoints, met, tally).repeat >= 0;
}

// findCycle with a tally.
template <typename Node, typename Next, typename Tally>
CYCLE_ALWAYS_INLINE Cycle<Node> findCycle(const Node* head, Next& next, Tally& tally) {
    if (head == nullptr) {
        return {nullptr, 0, 0};
    }
    ListSteps<Node, Next> steps{next};
    ListCheckpoints<Node> checkpoints;
    const Node* met = nullptr;
    Sighting seen = sightListRepeat(head, steps, checkpoints, met, tally);
    if (seen.repeat < 0) {
        return {nullptr, seen.position, 0};
    }
    return seen.position <= LIST_STRETCH
               ? locateMeeting(steps, head, met, seen, tally)
               : locateCycle<Cycle<Node>>(steps, checkpoints, seen, tally);
}

} // namespace detail
} // namespace cycle

#endif
