// The walk behind findCycles: every element coloured with one byte, by many
// walks in flight at once so that their misses overlap.
//
// A walk starts at the lowest element nobody has claimed, claims each element
// it reaches by writing its id (1 to 253) in the element's byte, and stops
// at the first element it cannot claim:
// - outside [0, m), or DONE: its path ends where all is known, and holds no
//   new cycle;
// - its own id: it has closed a cycle;
// - the id of another live walk of this thread: it waits on that walk, its
//   fate that walk's; if the walks it waits on lead back to it, their
//   segments close a cycle;
// - DEFERRED, or a live walk of another thread: its fate is unknown here,
//   and its elements are left to a second, single-threaded round.
// Once a walk's fate is known, its segment and those of every walk waiting
// on it are walked again from their starts, marked DONE (or DEFERRED), and
// their ids freed. On a cycle, the part of each segment from where the
// previous segment entered it is on the cycle: that pass counts the cycle's
// length and finds its smallest element. Each element is claimed once and
// marked once, each time with one read of its successor: 2 m reads on one
// thread. The cycles go to a sink (add(leader, length), flush()), which
// puts them in the caller's result.
#ifndef CYCLE_DETAIL_CLAIMS_H
#define CYCLE_DETAIL_CLAIMS_H

#include "elements.h"

#include <cstdint>

namespace cycle {
namespace detail {

constexpr uint8_t UNSEEN = 0;
constexpr uint8_t DEFERRED = 254;
constexpr uint8_t DONE = 255;
constexpr int WALK_IDS = 253;

// Walks in flight on one thread: the number that kept the most misses in
// flight, as measured.
constexpr int CLAIM_CURSORS = 32;

// The most threads that colour at once: each needs its own ids, at least
// one for each of its walks in flight, and a byte names WALK_IDS of them.
constexpr unsigned MOST_COLOURING_THREADS = WALK_IDS / CLAIM_CURSORS;

// A walk: where it started, where it stopped (m while it runs), the walk it
// waits on (0 for none), and the walks waiting on it, as a list through
// first_waiter and next_waiter.
struct WalkRecord {
    uint64_t start;
    uint64_t hit;
    uint8_t wait_on;
    uint8_t first_waiter;
    uint8_t next_waiter;
};

// A byte of the colouring, read and written as an atomic where several
// threads share the bytes (Shared), plainly otherwise.
template <bool Shared> uint8_t loadMark(const uint8_t* mark) {
    if constexpr (Shared) {
        return __atomic_load_n(mark, __ATOMIC_RELAXED);
    } else {
        return *mark;
    }
}

template <bool Shared> void storeMark(uint8_t* mark, uint8_t value) {
    if constexpr (Shared) {
        __atomic_store_n(mark, value, __ATOMIC_RELAXED);
    } else {
        *mark = value;
    }
}

// Claims the byte for id if it still holds seen; false if another thread
// got there first.
template <bool Shared> bool claimMark(uint8_t* mark, uint8_t seen, uint8_t id) {
    if constexpr (Shared) {
        return __atomic_compare_exchange_n(mark, &seen, id, false, __ATOMIC_RELAXED,
                                           __ATOMIC_RELAXED);
    } else {
        *mark = id;
        return true;
    }
}

// One thread's colouring of starts in [from, to): its ids first_id to
// last_id, its walks and the cycles it found. deferred_is_unseen makes
// DEFERRED bytes claimable, for the single-threaded round.
template <typename Map, typename Sink> struct Colouring {
    const Map& map;
    uint8_t* marks;
    uint64_t m;
    uint8_t first_id;
    uint8_t last_id;
    bool deferred_is_unseen;
    Sink& loops;
    WalkRecord walks[WALK_IDS + 1];
    uint8_t free_ids[WALK_IDS];
    int free_count;
};

template <typename Colouring> bool isUnseen(const Colouring& colouring, uint8_t mark) {
    return mark == UNSEEN || (colouring.deferred_is_unseen && mark == DEFERRED);
}

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
            if (at == colouring.m || loadMark<Shared>(colouring.marks + at) != cursor.id) {
                cursors[i] = cursors[--active];
                continue;
            }
            storeMark<Shared>(colouring.marks + at, mark_as);
            cursor.on_cycle |= at == cursor.entry;
            if (cursor.on_cycle) {
                length++;
                least = at < least ? at : least;
            }
            cursor.at = colouring.map(at);
            if (cursor.at != colouring.m) {
                colouring.map.prefetch(cursor.at);
                prefetchLine(colouring.marks + cursor.at);
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
void settleTree(Colouring& colouring, uint8_t root, uint64_t cycle_entry, uint8_t mark_as) {
    if (cycle_entry == colouring.m && colouring.walks[root].first_waiter == 0) {
        // The common case, a walk alone with no cycle: one short pass.
        for (uint64_t at = colouring.walks[root].start;
             at != colouring.m && loadMark<Shared>(colouring.marks + at) == root;
             at = colouring.map(at)) {
            storeMark<Shared>(colouring.marks + at, mark_as);
        }
        colouring.free_ids[colouring.free_count++] = root;
        return;
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

// Starts a walk with a free id at the lowest claimable element from next_start
// on, below to; false if none is left.
template <bool Shared, typename Colouring>
bool startWalk(Colouring& colouring, uint64_t& next_start, uint64_t to, uint8_t& id) {
    for (; next_start < to; next_start++) {
        uint8_t* mark = colouring.marks + next_start;
        const uint8_t seen = loadMark<Shared>(mark);
        if (!isUnseen(colouring, seen)) {
            continue;
        }
        id = colouring.free_ids[colouring.free_count - 1];
        if (!claimMark<Shared>(mark, seen, id)) {
            continue;
        }
        colouring.free_count--;
        colouring.walks[id] = {next_start, colouring.m, 0, 0, 0};
        next_start++;
        return true;
    }
    return false;
}

// Colours every element reachable from starts in [from, to), CLAIM_CURSORS
// walks at a time. Each cursor holds its walk's id and the element it will
// look at next, whose byte and successor were asked for a turn before.
template <bool Shared, typename Colouring>
void colourRange(Colouring& colouring, uint64_t from, uint64_t to) {
    uint8_t ids[CLAIM_CURSORS];
    uint64_t ahead[CLAIM_CURSORS];
    int active = 0;
    uint64_t next_start = from;
    bool starts_left = true;
    const uint64_t m = colouring.m;
    for (;;) {
        while (starts_left && active < CLAIM_CURSORS && colouring.free_count > 0) {
            uint8_t id = 0;
            starts_left = startWalk<Shared>(colouring, next_start, to, id);
            if (starts_left) {
                ids[active] = id;
                ahead[active] = colouring.map(colouring.walks[id].start);
                if (ahead[active] != m) {
                    colouring.map.prefetch(ahead[active]);
                    prefetchLine(colouring.marks + ahead[active]);
                }
                active++;
            }
        }
        if (active == 0) {
            return;
        }
        for (int i = 0; i < active;) {
            const uint8_t id = ids[i];
            const uint64_t at = ahead[i];
            WalkRecord& walk = colouring.walks[id];
            uint8_t seen = at == m ? DONE : loadMark<Shared>(colouring.marks + at);
            if (isUnseen(colouring, seen)) {
                if (claimMark<Shared>(colouring.marks + at, seen, id)) {
                    ahead[i] = colouring.map(at);
                    if (ahead[i] != m) {
                        colouring.map.prefetch(ahead[i]);
                        prefetchLine(colouring.marks + ahead[i]);
                    }
                    i++;
                    continue;
                }
                seen = loadMark<Shared>(colouring.marks + at);
            }
            walk.hit = at;
            if (seen == DONE) {
                settleTree<Shared>(colouring, id, m, DONE);
            } else if (seen == id) {
                settleTree<Shared>(colouring, id, at, DONE);
            } else if (seen >= colouring.first_id && seen <= colouring.last_id) {
                WalkRecord& target = colouring.walks[seen];
                walk.wait_on = seen;
                walk.next_waiter = target.first_waiter;
                target.first_waiter = id;
                uint8_t along = seen;
                while (along != 0 && along != id) {
                    along = colouring.walks[along].wait_on;
                }
                if (along == id) {
                    settleRing<Shared>(colouring, id);
                }
            } else {
                settleTree<Shared>(colouring, id, m, DEFERRED);
            }
            ids[i] = ids[--active];
            ahead[i] = ahead[active];
        }
    }
}

// Colours map from the starts in [from, to) with the ids first_id to
// last_id, handing the cycles found to found, then flushing it;
// deferred_is_unseen for the single-threaded round after several threads.
template <bool Shared, typename Map, typename Sink>
void colourBlock(const Map& map, uint8_t* marks, uint64_t m, Sink& found, uint8_t first_id,
                 uint8_t last_id, bool deferred_is_unseen, uint64_t from, uint64_t to) {
    Colouring<Map, Sink> colouring{map,   marks, m,  first_id, last_id, deferred_is_unseen,
                                   found, {},    {}, 0};
    for (int id = last_id; id >= first_id; id--) {
        colouring.free_ids[colouring.free_count++] = static_cast<uint8_t>(id);
    }
    colourRange<Shared>(colouring, from, to);
    found.flush();
}

} // namespace detail
} // namespace cycle

#endif
