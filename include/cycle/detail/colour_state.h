// The state of findCycles' colouring (colouring.h): what a colour byte
// means, each walk's record, a thread's colouring, and where the cycles go.
#ifndef CYCLE_DETAIL_COLOUR_STATE_H
#define CYCLE_DETAIL_COLOUR_STATE_H

#include "../results.h"
#include "config.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace cycle {
namespace detail {

// A colour byte holds UNSEEN, the id of the live walk that claimed the
// element (1 to WALK_IDS), DEFERRED (left to the single-threaded round) or
// DONE.
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
template <bool Shared> uint8_t loadColour(const uint8_t* colour) {
    if constexpr (Shared) {
        return atomicLoad(colour);
    } else {
        return *colour;
    }
}

template <bool Shared> void storeColour(uint8_t* colour, uint8_t value) {
    if constexpr (Shared) {
        atomicStore(colour, value);
    } else {
        *colour = value;
    }
}

// Claims the byte for id if it still holds seen; false if another thread
// got there first.
template <bool Shared> bool claimColour(uint8_t* colour, uint8_t seen, uint8_t id) {
    if constexpr (Shared) {
        return atomicSwapIf(colour, seen, id);
    } else {
        *colour = id;
        return true;
    }
}

// One thread's colouring of starts in [from, to): its ids first_id to
// last_id, its walks and the cycles it found. deferred_is_unseen makes
// DEFERRED bytes claimable, for the single-threaded round.
template <typename Map, typename Sink> struct Colouring {
    const Map& map;
    uint8_t* colours;
    uint64_t m;
    uint8_t first_id;
    uint8_t last_id;
    bool deferred_is_unseen;
    Sink& loops;
    WalkRecord walks[WALK_IDS + 1];
    uint8_t free_ids[WALK_IDS];
    int free_count;
    uint64_t started;  // walks started
    uint64_t deferred; // walks left to the single-threaded round
};

// Threads pay for sharing the bytes: a claim is a locked instruction, which
// keeps the walks' misses from overlapping, and a walk that meets another
// thread's is walked again by the single-threaded round. They pay off only
// where walks are short and stay apart (forests). So a thread stops
// starting walks once, after the first PROBE_WALKS, more than one walk in
// DEFERRAL_SHARE has been deferred, and leaves the rest of its block to the
// single-threaded round at once when a walk claims more than LONG_WALK
// elements: long walks meet (measured 4x one thread's time on permutations
// and chains at 2^22 before these rules).
constexpr uint64_t PROBE_WALKS = 256;
constexpr uint64_t DEFERRAL_SHARE = 8;
constexpr uint64_t LONG_WALK = 512;

template <typename Colouring> bool deferringTooMuch(const Colouring& colouring) {
    return colouring.started >= PROBE_WALKS &&
           colouring.deferred * DEFERRAL_SHARE > colouring.started;
}

template <typename Colouring> bool isUnseen(const Colouring& colouring, uint8_t colour) {
    return colour == UNSEEN || (colouring.deferred_is_unseen && colour == DEFERRED);
}

// Cycles a colouring thread holds before it adds them to the result.
constexpr int SINK_BUFFER = 128;

// Where a colouring puts the cycles it finds: straight into the result when
// it colours alone; through a buffer, added to the result under lock, when
// several threads colour at once.
template <typename Index> struct LoopSink {
    std::vector<Loop<Index>>& loops;
    std::mutex* lock; // nullptr when alone
    Loop<Index> buffer[SINK_BUFFER];
    int held;

    void add(uint64_t leader, uint64_t length) {
        if (lock == nullptr) {
            loops.push_back({static_cast<Index>(leader), length});
            return;
        }
        buffer[held++] = {static_cast<Index>(leader), length};
        if (held == SINK_BUFFER) {
            flush();
        }
    }
    void flush() {
        if (held > 0) {
            std::lock_guard<std::mutex> guard(*lock);
            loops.insert(loops.end(), buffer, buffer + held);
            held = 0;
        }
    }
};

} // namespace detail
} // namespace cycle

#endif
