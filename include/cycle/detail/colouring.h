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
#ifndef CYCLE_DETAIL_COLOURING_H
#define CYCLE_DETAIL_COLOURING_H

#include "../results.h"
#include "colour_settle.h"
#include "colour_state.h"
#include "config.h"
#include "one_at_a_time.h"
#include "threads.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

namespace cycle {
namespace detail {

// Starts a walk with a free id at the lowest claimable element from next_start
// on, below to; false if none is left.
template <bool Shared, typename Colouring>
bool startWalk(Colouring& colouring, uint64_t& next_start, uint64_t to, uint8_t& id) {
    for (; next_start < to; next_start++) {
        uint8_t* colour = colouring.colours + next_start;
        const uint8_t seen = loadColour<Shared>(colour);
        if (!isUnseen(colouring, seen)) {
            continue;
        }
        id = colouring.free_ids[colouring.free_count - 1];
        if (!claimColour<Shared>(colour, seen, id)) {
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
// Where threads share the bytes, a thread leaves the rest of its block to
// the single-threaded round once it defers too many walks, or once a walk
// grows past LONG_WALK: then all its walks, and those waiting on them, are
// deferred at once.
template <bool Shared, typename Colouring>
void colourRange(Colouring& colouring, uint64_t from, uint64_t to) {
    uint8_t ids[CLAIM_CURSORS];
    uint64_t ahead[CLAIM_CURSORS];
    uint64_t steps[CLAIM_CURSORS]; // each walk's claims, kept where threads share the bytes
    int active = 0;
    uint64_t next_start = from;
    bool starts_left = true;
    const uint64_t m = colouring.m;
    for (;;) {
        while (starts_left && active < CLAIM_CURSORS && colouring.free_count > 0) {
            if (Shared && deferringTooMuch(colouring)) {
                starts_left = false;
                break;
            }
            uint8_t id = 0;
            starts_left = startWalk<Shared>(colouring, next_start, to, id);
            if (starts_left) {
                colouring.started++;
                if constexpr (Shared) {
                    steps[active] = 0;
                }
                ids[active] = id;
                ahead[active] = colouring.map(colouring.walks[id].start);
                if (ahead[active] != m) {
                    colouring.map.prefetch(ahead[active]);
                    prefetchLine(colouring.colours + ahead[active]);
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
            uint8_t seen = at == m ? DONE : loadColour<Shared>(colouring.colours + at);
            if (isUnseen(colouring, seen)) {
                if (claimColour<Shared>(colouring.colours + at, seen, id)) {
                    if constexpr (Shared) {
                        if (CYCLE_RARELY(++steps[i] > LONG_WALK)) {
                            for (int j = 0; j < active; j++) {
                                colouring.deferred += static_cast<uint64_t>(
                                    settleTree<Shared>(colouring, ids[j], m, DEFERRED));
                            }
                            return;
                        }
                    }
                    ahead[i] = colouring.map(at);
                    if (ahead[i] != m) {
                        colouring.map.prefetch(ahead[i]);
                        prefetchLine(colouring.colours + ahead[i]);
                    }
                    i++;
                    continue;
                }
                seen = loadColour<Shared>(colouring.colours + at);
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
                colouring.deferred +=
                    static_cast<uint64_t>(settleTree<Shared>(colouring, id, m, DEFERRED));
            }
            ids[i] = ids[--active];
            ahead[i] = ahead[active];
            if constexpr (Shared) {
                steps[i] = steps[active];
            }
        }
    }
}

// Colours map from the starts in [from, to) with the ids first_id to
// last_id, handing the cycles found to found, then flushing it;
// deferred_is_unseen for the single-threaded round after several threads.
template <bool Shared, typename Map, typename Sink>
void colourBlock(const Map& map, uint8_t* colours, uint64_t m, Sink& found, uint8_t first_id,
                 uint8_t last_id, bool deferred_is_unseen, uint64_t from, uint64_t to) {
    Colouring<Map, Sink> colouring{map,   colours, m,  first_id, last_id, deferred_is_unseen,
                                   found, {},      {}, 0,        0,       0};
    for (int id = last_id; id >= first_id; id--) {
        colouring.free_ids[colouring.free_count++] = static_cast<uint8_t>(id);
    }
    colourRange<Shared>(colouring, from, to);
    found.flush();
}

// Sorts loops by leader, as findCycles returns them.
template <typename Index> void byLeader(std::vector<Loop<Index>>& loops) {
    std::sort(loops.begin(), loops.end(),
              [](const Loop<Index>& a, const Loop<Index>& b) { return a.leader < b.leader; });
}

// The cycles of map on [0, m), in no order, by the colouring: each thread
// taking a block of starts with its own ids, then one thread for whatever
// was deferred. colours must hold UNSEEN for every element.
template <typename Index, typename Map>
void colourInFlight(const Map& map, uint8_t* colours, uint64_t m, unsigned threads,
                    std::vector<Loop<Index>>& loops) {
    threads = threadsFor(threads, m, ELEMENTS_PER_THREAD);
    threads = threads < MOST_COLOURING_THREADS ? threads : MOST_COLOURING_THREADS;
    if (threads > 1) {
        std::mutex lock;
        const int ids = WALK_IDS / static_cast<int>(threads);
        onThreads(threads, [&](unsigned t) {
            LoopSink<Index> sink{loops, &lock, {}, 0};
            colourBlock<true>(map, colours, m, sink, static_cast<uint8_t>(1 + t * ids),
                              static_cast<uint8_t>((t + 1) * ids), false, m * t / threads,
                              m * (t + 1) / threads);
        });
    }
    LoopSink<Index> alone{loops, nullptr, {}, 0};
    colourBlock<false>(map, colours, m, alone, 1, WALK_IDS, threads > 1, 0, m);
}

// The cycles of map on [0, m), by increasing leader: one start at a time
// where the mapping fits the L2 and its paths are short (one_at_a_time.h),
// the colouring otherwise, or from where a path grew long.
template <typename Index, typename Map>
std::vector<Loop<Index>> colourAll(const Map& map, uint64_t m, unsigned threads) {
    std::vector<uint8_t> colours(m, UNSEEN);
    std::vector<Loop<Index>> loops;
    uint64_t left = 0;
    if (colourOneAtATime<Index>(m)) {
        LoopSink<Index> alone{loops, nullptr, {}, 0};
        left =
            colourEachStart(map, colours.data(), m, alone, colourBytes<Index>(m) > HAND_OFF_BYTES);
    }
    if (left < m) {
        colourInFlight<Index>(map, colours.data(), m, threads, loops);
    }
    byLeader(loops);
    return loops;
}

} // namespace detail
} // namespace cycle

#endif
