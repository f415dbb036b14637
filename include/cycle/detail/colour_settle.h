// Settling walks whose fate is known: each segment walked again from its
// start, its elements marked DONE (or DEFERRED), the cycle they close
// counted, and the walks' ids freed for new walks (colouring.h).
#ifndef CYCLE_DETAIL_COLOUR_SETTLE_H
#define CYCLE_DETAIL_COLOUR_SETTLE_H

#include "colour_state.h"
#include "config.h"

#include <cstdint>

namespace cycle {
namespace detail {

// A segment walked again in the settling pass: where it is, where the cycle
// enters it (m for none), and whether it has passed that point.
struct SegmentCursor {
    uint64_t at;
    uint64_t entry;
    bool on_cycle;
    uint8_t id;
};

// Settles the walks group[0..count): walks each segment again from its
// start, all at once, marking its elements mark_as; entries[i] is where the
// cycle enters walk group[i]'s segment, or m. Adds the cycle, if any, to the
// loops, and frees the ids.
template <bool Shared, typename Colouring>
void settleGroup(Colouring& colouring, const uint8_t* group, const uint64_t* entries, int count,
                 uint8_t mark_as) {
    SegmentCursor cursors[WALK_IDS];
    bool any_cycle = false;
    for (int i = 0; i < count; i++) {
        cursors[i] = {colouring.walks[group[i]].start, entries[i], false, group[i]};
        any_cycle |= entries[i] != colouring.m;
    }
    uint64_t length = 0;
    uint64_t least = UINT64_MAX;
    int active = count;
    while (active > 0) {
        for (int i = 0; i < active;) {
            SegmentCursor& cursor = cursors[i];
            const uint64_t at = cursor.at;
            if (at == colouring.m || loadColour<Shared>(colouring.colours + at) != cursor.id) {
                cursors[i] = cursors[--active];
                continue;
            }
            storeColour<Shared>(colouring.colours + at, mark_as);
            cursor.on_cycle |= at == cursor.entry;
            if (cursor.on_cycle) {
                length++;
                least = at < least ? at : least;
            }
            cursor.at = colouring.map(at);
            if (cursor.at != colouring.m) {
                colouring.map.prefetch(cursor.at);
                prefetchLine(colouring.colours + cursor.at);
            }
            i++;
        }
    }
    if (any_cycle) {
        colouring.loops.add(least, length);
    }
    for (int i = 0; i < count; i++) {
        colouring.free_ids[colouring.free_count++] = group[i];
    }
}

// Settles walk root, whose fate is known, with every walk that waits on it,
// directly or not. cycle_entry is where root closed a cycle on its own
// segment, or m.
template <bool Shared, typename Colouring>
int settleTree(Colouring& colouring, uint8_t root, uint64_t cycle_entry, uint8_t mark_as) {
    if (cycle_entry == colouring.m && colouring.walks[root].first_waiter == 0) {
        // The common case, a walk alone with no cycle: one short pass.
        for (uint64_t at = colouring.walks[root].start;
             at != colouring.m && loadColour<Shared>(colouring.colours + at) == root;
             at = colouring.map(at)) {
            storeColour<Shared>(colouring.colours + at, mark_as);
        }
        colouring.free_ids[colouring.free_count++] = root;
        return 1;
    }
    uint8_t group[WALK_IDS];
    uint64_t entries[WALK_IDS];
    int count = 0;
    group[count] = root;
    entries[count++] = cycle_entry;
    for (int i = 0; i < count; i++) {
        for (uint8_t waiter = colouring.walks[group[i]].first_waiter; waiter != 0;
             waiter = colouring.walks[waiter].next_waiter) {
            group[count] = waiter;
            entries[count++] = colouring.m;
        }
    }
    settleGroup<Shared>(colouring, group, entries, count, mark_as);
    return count;
}

// Settles the walks on a ring of waits through closer, which has just come
// to wait on one of them: their segments close a cycle, which enters each
// segment where the walk before it stopped. The walks waiting on the ring
// are settled with it.
template <bool Shared, typename Colouring> void settleRing(Colouring& colouring, uint8_t closer) {
    uint8_t group[WALK_IDS];
    uint64_t entries[WALK_IDS];
    int count = 0;
    uint8_t id = closer;
    do {
        const uint8_t following = colouring.walks[id].wait_on;
        group[count] = following;
        entries[count++] = colouring.walks[id].hit;
        id = following;
    } while (id != closer);
    const int ring = count;
    for (int i = 0; i < count; i++) {
        for (uint8_t waiter = colouring.walks[group[i]].first_waiter; waiter != 0;
             waiter = colouring.walks[waiter].next_waiter) {
            bool on_ring = false;
            for (int j = 0; j < ring && !on_ring; j++) {
                on_ring = group[j] == waiter;
            }
            if (!on_ring) {
                group[count] = waiter;
                entries[count++] = colouring.m;
            }
        }
    }
    settleGroup<Shared>(colouring, group, entries, count, DONE);
}

} // namespace detail
} // namespace cycle

#endif
