// The checkpoint table behind hasCycle, findCycle and findPeriod: values a
// walk passed at known positions, which every step of its table stretch
// checks (table_stretch.h).
//
// Contract. Holding SLOTS checkpoints and a table of 2^MOST_BITS two-way
// buckets of their keys, on the stack: 2 KiB for a list walk, 256 values of
// T and 6 KiB for a value walk. No allocation, no threads; nothing throws
// unless copying a value does.
//
// Invariant. Checkpoints are spaced gap positions apart, gap a power of two
// (32 for lists and 8 for values at first); when all slots are full every
// other one is dropped and the gap doubles (Sedgewick, Szymanski and Yao's
// thinning), so a walk that has entered a cycle comes back to a checkpoint
// at most one gap after a lap. The anchor, the checkpoint at the latest
// power-of-two position, is never pushed out but by the next anchor, which
// keeps Brent's bound whatever the keys. The first stretch's anchor (at A,
// the largest power of two in it) is checked only from the table's build on,
// so it may come round first as late as STRETCH + A: it is kept until then,
// beside the next anchor (see tableStretch). Any other new checkpoint gets
// in, unless both ways of its bucket hold these two; then it is forgotten.
// A key is a 64-bit mix of the value's hash (a list node's address), never
// 0, which marks an empty way. Equal keys only suggest a repeat: the value
// itself is compared before the walk stops.
//
// Why the lap is lambda. A checkpoint's key is in the table from its insert
// (or the table's build) until the key leaves its bucket; then every held
// checkpoint of that key is forgotten (its key set to 0) and never matches
// again, even if a later checkpoint puts the same key back. A dropped
// checkpoint's key leaves only if no kept checkpoint shares it. So a
// checkpoint that still matches has had its key in the table, continuously,
// since it was inserted. Say the walk stops at position p on checkpoint c,
// saved at position r in the table stretch. At r + lambda the value was
// c's again; its key was in the table and c matched, so the walk would have
// stopped there, unless it stopped earlier: p = r + lambda. (No checkpoint
// equal to c but later than it can be held before r + lambda.) A checkpoint
// saved in the first stretch is checked only from the build on, so its lap
// is the least multiple of lambda that reaches past the stretch; the
// register values of the values' first stretch (start and tortoises) are
// checked at every step, so their laps are lambda. The hare's meeting is
// located on its own (locateMeeting).
#ifndef CYCLE_DETAIL_CHECKPOINT_TABLE_H
#define CYCLE_DETAIL_CHECKPOINT_TABLE_H

#include "config.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

namespace cycle {
namespace detail {

// The walk's constants, named once, with the relations between them:
// - SAVE_GAP: the finest spacing of saves, from which the first gap follows.
// - LIST_STRETCH, VALUE_STRETCH: where the first stretch ends and the table
//   is built, a whole number of first gaps. Lists wait until 224 (112 turns
//   of the hare): building a table at 56 cost more time than its probes
//   saved below a few hundred nodes, as measured. Values build it at 56,
//   since a call of f costs more than the walk's own work.
// - LIST_SLOTS and LIST_TABLE_BITS, VALUE_SLOTS and VALUE_TABLE_BITS: the
//   checkpoints held (64 for a list, 256 for values) and a table of 2^6 or
//   2^8 two-way buckets, so that the table is at most half full.
// - FIRST_CHECKPOINTS: the table starts with at most 8 saved values, so
//   that its build costs a few inserts: the first stretch saves at the
//   first gap, firstGap(224) = 32 for lists, firstGap(56) = 8 for values.
// - The gap doubles whenever all slots are full, so past the first gap it is
//   under a (SLOTS / 2 - 1)th of the position: a 31st for lists, a 127th for
//   values.
constexpr int64_t SAVE_GAP = 8;
constexpr int64_t LIST_STRETCH = 224;
constexpr int64_t VALUE_STRETCH = 56;
constexpr int LIST_SLOTS = 64;
constexpr int LIST_TABLE_BITS = 6;
constexpr int VALUE_SLOTS = 256;
constexpr int VALUE_TABLE_BITS = 8;
constexpr int64_t FIRST_CHECKPOINTS = 8;

// The gap between checkpoints when the table is built at stretch: the least
// power of two from SAVE_GAP up whose saves over the stretch, from position 0
// on, number at most FIRST_CHECKPOINTS.
constexpr int64_t firstGap(int64_t stretch) {
    int64_t gap = SAVE_GAP;
    for (int64_t saved = stretch / SAVE_GAP + 1; saved > FIRST_CHECKPOINTS;
         saved = (saved + 1) / 2) {
        gap *= 2;
    }
    return gap;
}
static_assert(firstGap(LIST_STRETCH) == 32 && firstGap(VALUE_STRETCH) == 8,
              "the first gaps the contracts state");

// The walk's memory: held[i] is the value at position i * gap for i < count,
// keys[i] its key (from the table stretch on), and table 2^MostBits buckets
// of keys. Values are constructed only as they are saved, so T needs no
// default constructor; whatever is held is destroyed with the record.
template <typename T, int Slots, int MostBits, int64_t Stretch = LIST_STRETCH> struct Checkpoints {
    static_assert(Stretch % SAVE_GAP == 0 && Stretch >= SAVE_GAP, "a stretch of whole save gaps");
    static_assert(Slots >= Stretch / SAVE_GAP + 1 && (Slots & (Slots - 1)) == 0,
                  "a power of two of slots, enough for the stretch");
    static constexpr int64_t STRETCH = Stretch;
    static constexpr int64_t SLOTS = Slots;
    static constexpr int MOST_BITS = MostBits;
    union Slot {
        Slot() {}
        ~Slot() {}
        T value;
    };
    Slot held[Slots];
    uint64_t keys[Slots];
    uint64_t table[int64_t{1} << MostBits][2];
    int64_t count = 0;
    int64_t gap = firstGap(Stretch);
    uint64_t anchor; // the anchor's key, from the table stretch on
    uint64_t prior;  // the first stretch's anchor's key while it is kept, else anchor
    bool lost;       // a checkpoint was pushed out of the table, from then on
    bool shared;     // two held checkpoints may share a key

    Checkpoints() = default;
    Checkpoints(const Checkpoints&) = delete;
    Checkpoints& operator=(const Checkpoints&) = delete;
    ~Checkpoints() {
        if (!std::is_trivially_destructible<T>::value) {
            for (int64_t i = 0; i < count; i++) {
                held[i].value.~T();
            }
        }
    }
};

// Saves value as the next checkpoint (its key is set apart). Cannot fail
// unless copying T throws.
template <typename T, int Slots, int MostBits, int64_t Stretch>
void holdCheckpoint(Checkpoints<T, Slots, MostBits, Stretch>& checkpoints, const T& value) {
    ::new (static_cast<void*>(&checkpoints.held[checkpoints.count].value)) T(value);
    checkpoints.count++;
}

// Keeps the even checkpoints' values, packed to the front, and doubles the
// gap. Their keys are the caller's to move: the first stretch has none
// yet.
template <typename T, int Slots, int MostBits, int64_t Stretch>
void thinHeld(Checkpoints<T, Slots, MostBits, Stretch>& checkpoints) {
    const int64_t kept = (checkpoints.count + 1) / 2;
    for (int64_t i = 1; i < kept; i++) {
        checkpoints.held[i].value = std::move(checkpoints.held[2 * i].value);
    }
    if (!std::is_trivially_destructible<T>::value) {
        for (int64_t i = kept; i < checkpoints.count; i++) {
            checkpoints.held[i].value.~T();
        }
    }
    checkpoints.count = kept;
    checkpoints.gap *= 2;
}

// Saved every held checkpoint whose key is key as out of the table for good:
// its key becomes 0, which no probe matches. Called when key leaves its
// bucket, so that no later checkpoint of the same key can bring it back.
template <typename Saved> void forgetKey(Saved& checkpoints, uint64_t key) {
    for (int64_t i = 0; i < checkpoints.count; i++) {
        if (checkpoints.keys[i] == key) {
            checkpoints.keys[i] = 0;
        }
    }
}

// Puts key in bucket, its own: the first way if it is empty, else the
// second unless it holds an anchor (anchor or prior), else the first,
// choosing the way without a branch on the bucket's contents (which would be
// mispredicted as often as not). So the first way keeps the oldest
// checkpoint of its bucket until an anchor lands in the second. Where both
// ways hold anchors the key does not get in and is forgotten; an anchor
// always gets in, since at most one way holds an anchor other than the one
// inserted. A key already there is shared with a held checkpoint and serves
// both. The key pushed out, if any, is forgotten.
template <typename Saved>
inline void tableInsert(Saved& checkpoints, uint64_t* bucket, uint64_t key) {
    if (bucket[0] == key || bucket[1] == key) {
        checkpoints.shared = true;
        return;
    }
    const auto held = [&checkpoints](uint64_t way) {
        return (way == checkpoints.anchor) | (way == checkpoints.prior);
    };
    const bool second_free = !held(bucket[1]);
    if (CYCLE_RARELY(!second_free && held(bucket[0]))) {
        checkpoints.lost = true;
        forgetKey(checkpoints, key);
        return;
    }
    const int way = (bucket[0] != 0) & second_free;
    const uint64_t pushed = bucket[way];
    bucket[way] = key;
    if (pushed != 0) {
        checkpoints.lost = true;
        forgetKey(checkpoints, pushed);
    }
}

// Clears the table and puts every held key in, oldest first.
template <typename T, int Slots, int MostBits, int64_t Stretch>
void buildTable(Checkpoints<T, Slots, MostBits, Stretch>& checkpoints) {
    std::memset(checkpoints.table, 0, sizeof(checkpoints.table));
    for (int64_t i = 0; i < checkpoints.count; i++) {
        tableInsert(checkpoints, checkpoints.table[checkpoints.keys[i] >> (64 - MostBits)],
                    checkpoints.keys[i]);
    }
}

// Drops every other checkpoint (thinHeld) with its key, and each dropped key
// from its bucket unless a kept checkpoint has the same key. Held keys are
// all different (or 0) until an insert finds its key in the table, so only
// then are the kept ones searched.
template <typename T, int Slots, int MostBits, int64_t Stretch>
void thinCheckpoints(Checkpoints<T, Slots, MostBits, Stretch>& checkpoints) {
    for (int64_t i = 1; i < checkpoints.count; i += 2) {
        const uint64_t key = checkpoints.keys[i];
        bool kept = key == 0;
        for (int64_t j = 0; checkpoints.shared && j < checkpoints.count && !kept; j += 2) {
            kept = checkpoints.keys[j] == key;
        }
        if (kept) {
            continue;
        }
        for (uint64_t& way : checkpoints.table[key >> (64 - MostBits)]) {
            if (way == key) {
                way = 0;
            }
        }
    }
    for (int64_t i = 1; 2 * i < checkpoints.count; i++) {
        checkpoints.keys[i] = checkpoints.keys[2 * i];
    }
    thinHeld(checkpoints);
}

// The latest checkpoint equal to value (whose key is key) and never out of
// the table, or -1.
template <typename T, int Slots, int MostBits, int64_t Stretch>
int64_t findHeld(const Checkpoints<T, Slots, MostBits, Stretch>& checkpoints, const T& value,
                 uint64_t key) {
    for (int64_t i = checkpoints.count - 1; i >= 0; i--) {
        if (checkpoints.keys[i] == key && checkpoints.held[i].value == value) {
            return i;
        }
    }
    return -1;
}

constexpr int64_t NO_LIMIT = -1;

// The position at which a walk bounded by limit may stop unseen: by then a
// sequence with mu + lambda <= limit has been caught. With every checkpoint
// in the table that is within a gap of limit (and of the table's start),
// otherwise Brent's bound.
template <typename Saved> int64_t stopPosition(const Saved& checkpoints, int64_t limit) {
    constexpr int64_t most = std::numeric_limits<int64_t>::max() / 4;
    if (limit == NO_LIMIT) {
        return std::numeric_limits<int64_t>::max();
    }
    if (limit > most) {
        limit = most;
    }
    const int64_t reach = checkpoints.gap > Saved::STRETCH ? checkpoints.gap : Saved::STRETCH;
    return checkpoints.lost ? 3 * limit + reach + SAVE_GAP : limit + reach + SAVE_GAP;
}

// The largest power of two up to stretch: where the first stretch's anchor is.
constexpr int64_t firstAnchor(int64_t stretch) {
    int64_t power = 1;
    while (2 * power <= stretch) {
        power *= 2;
    }
    return power;
}

} // namespace detail
} // namespace cycle

#endif
