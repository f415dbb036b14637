// The checkpoint tables behind hasCycle, findCycle and findPeriod: values a
// walk passed at known positions, which every step of its table stretch
// checks (table_stretch.h).
//
// Contract. Holding SLOTS checkpoints and an index of their keys, on the
// stack: for a list walk 64 checkpoints and a table of 64 two-way buckets,
// 2 KiB in all; for a value walk 256 values of T and 10 KiB of keys. No
// allocation, no threads; nothing throws unless copying a value does.
//
// Invariant. Checkpoints are spaced gap positions apart, gap a power of two
// (32 for lists and 8 for values at first); when all slots are full every
// other one is dropped and the gap doubles (Sedgewick, Szymanski and Yao's
// thinning), so a walk that has entered a cycle comes back to a checkpoint
// at most one gap after a lap. The anchor, the checkpoint at the latest
// power-of-two position, is never forgotten but by the next anchor, which
// keeps Brent's bound whatever the keys. The first stretch's anchor (at A,
// the largest power of two in it) is checked only from the table's build on,
// so it may come round first as late as STRETCH + A: it is kept until then,
// beside the next anchor (see tableStretch). A key is a 64-bit mix of the
// value's hash (a list node's address), never 0, which marks an empty way or
// a forgotten checkpoint. Equal keys only suggest a repeat: the value itself
// is compared before the walk stops.
//
// The two indexes of the keys:
// - Lists: buckets of two ways. A new checkpoint gets in unless both ways of
//   its bucket hold anchors; otherwise the key it pushes out, if any, is
//   forgotten. A list walk has no limit to keep, only Brent's bound, which
//   the anchors carry; the buckets keep its steady loop at two compares.
// - Values: a filter of a bit a key prefix, which the steady loop tests, and
//   a set of the keys held, twice as many ways as slots, which a step whose
//   bit is set probes. The set never fills, so a checkpoint is forgotten
//   only when a later one has the same key (a hash that gives two values the
//   same result): then only the newest and the anchors keep it, so that a
//   step compares its value with at most three checkpoints. With a hash that
//   gives the walk's values distinct results, nothing is ever forgotten, and
//   findPeriodWithin's bound of limit + 64 and a gap holds in every run.
//
// Why the lap is lambda. A checkpoint's key is in the index from its insert
// (or the table's build) until the checkpoint is forgotten (its key set to
// 0), after which it never matches again, even if a later checkpoint puts
// the same key back. A dropped checkpoint's key leaves only if no kept
// checkpoint shares it. So a checkpoint that still matches has had its key
// in the index, continuously, since it was inserted. Say the walk stops at
// position p on checkpoint c, saved at position r in the table stretch. At
// r + lambda the value was c's again; its key was in the index and c
// matched, so the walk would have stopped there, unless it stopped earlier:
// p = r + lambda. (No checkpoint equal to c but later than it can be held
// before r + lambda.) A checkpoint saved in the first stretch is checked only
// from the build on, so its lap is the least multiple of lambda that reaches
// past the stretch; the register values of the values' first stretch (start
// and tortoises) are checked at every step, so their laps are lambda. The
// hare's meeting is located on its own (locateMeeting).
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
// - LIST_SLOTS and LIST_TABLE_BITS: the checkpoints a list walk holds (64)
//   and its table of 2^6 two-way buckets, at most half full.
// - VALUE_SLOTS and VALUE_TABLE_BITS: the checkpoints a value walk holds
//   (256, 2^8): its filter has 2^7 bits a slot (2^15 bits, 4 KiB), so that a
//   step past the checkpoints finds its bit set once in 128 at most, and its
//   set 2 ways a slot (512 ways, 4 KiB), at most half full.
// - FIRST_CHECKPOINTS: the table starts with at most 8 saved values, so
//   that its build costs a few inserts: the first stretch saves at the
//   first gap, firstGap(224) = 32 for lists, firstGap(56) = 8 for values.
// - The gap doubles whenever all slots are full, so past the first gap it is
//   at most a (SLOTS / 2)th of the position, and under a (SLOTS / 2 - 1)th:
//   a 31st for lists, a 127th for values.
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

// x as an rvalue where T can be moved, else as a const lvalue, so that a T
// with copies but deleted moves is copied where another would be moved.
template <typename T>
constexpr bool MOVABLE =
    std::conjunction<std::is_move_constructible<T>, std::is_move_assignable<T>>::value;
template <typename T> std::conditional_t<MOVABLE<T>, T&&, const T&> moveIfMovable(T& x) noexcept {
    return static_cast<std::conditional_t<MOVABLE<T>, T&&, const T&>>(x);
}

// to = from, a step's new value: moved where T can be moved, else copied.
template <typename T> void takeValue(T& to, T&& from) {
    to = moveIfMovable(from);
}

// The index of the keys: a list walk's buckets, table[2^MostBits][2].
template <int MostBits, bool Filtered> struct CheckpointKeys {
    static constexpr bool FILTERED = false;
    uint64_t table[int64_t{1} << MostBits][2];
};

// A value walk's filter, a bit for each FILTER_BITS-bit prefix of a key held
// (or held since the last thinning), and its set of the keys held, by linear
// probing from the key's SET_BITS-bit prefix.
template <int MostBits> struct CheckpointKeys<MostBits, true> {
    static constexpr bool FILTERED = true;
    static constexpr int FILTER_BITS = MostBits + 7;
    static constexpr int SET_BITS = MostBits + 1;
    uint64_t filter[(int64_t{1} << FILTER_BITS) / 64];
    uint64_t set[int64_t{1} << SET_BITS];
};

// The walk's memory: held[i] is the value at position i * gap for i < count,
// keys[i] its key (from the table stretch on; 0 once forgotten), and the
// index of the keys. Values are constructed only as they are saved, so T
// needs no default constructor; whatever is held is destroyed with the
// record.
template <typename T, int Slots, int MostBits, int64_t Stretch = LIST_STRETCH,
          bool Filtered = false>
struct Checkpoints : CheckpointKeys<MostBits, Filtered> {
    static_assert(Stretch % SAVE_GAP == 0 && Stretch >= SAVE_GAP, "a stretch of whole save gaps");
    static_assert(Slots >= Stretch / SAVE_GAP + 1 && (Slots & (Slots - 1)) == 0,
                  "a power of two of slots, enough for the stretch");
    static_assert(!Filtered || (int64_t{1} << (MostBits + 1)) >= 2 * Slots,
                  "a set of twice the slots never fills");
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
    uint64_t anchor;   // the anchor's key, from the table stretch on
    uint64_t prior;    // the first stretch's anchor's key while it is kept, else anchor
    int64_t anchor_at; // the anchor's position, from the table stretch on
    int64_t prior_at;  // prior's position
    bool lost;         // a checkpoint was forgotten, from then on
    bool shared;       // two held checkpoints may share a key

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
template <typename T, int Slots, int MostBits, int64_t Stretch, bool Filtered>
void holdCheckpoint(Checkpoints<T, Slots, MostBits, Stretch, Filtered>& checkpoints,
                    const T& value) {
    ::new (static_cast<void*>(&checkpoints.held[checkpoints.count].value)) T(value);
    checkpoints.count++;
}

// Keeps the even checkpoints' values, packed to the front, and doubles the
// gap. Their keys are the caller's to move: the first stretch has none
// yet.
template <typename T, int Slots, int MostBits, int64_t Stretch, bool Filtered>
void thinHeld(Checkpoints<T, Slots, MostBits, Stretch, Filtered>& checkpoints) {
    const int64_t kept = (checkpoints.count + 1) / 2;
    for (int64_t i = 1; i < kept; i++) {
        checkpoints.held[i].value = moveIfMovable(checkpoints.held[2 * i].value);
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

// Whether key's bit is set in a value walk's filter: the one test a step
// makes of the index while it passes no checkpoint.
template <typename Saved> bool filterMayHold(const Saved& checkpoints, uint64_t key) {
    const uint64_t bit = key >> (64 - Saved::FILTER_BITS);
    return (checkpoints.filter[bit / 64] >> (bit % 64)) & 1;
}

// Whether a value walk's set holds key: the probe from the key's prefix ends
// at the key or at the first empty way, within at most SLOTS + 1 ways, as
// the set holds at most SLOTS keys.
template <typename Saved> bool setHolds(const Saved& checkpoints, uint64_t key) {
    constexpr uint64_t last = (uint64_t{1} << Saved::SET_BITS) - 1;
    for (uint64_t way = key >> (64 - Saved::SET_BITS);; way = (way + 1) & last) {
        if (checkpoints.set[way] == key) {
            return true;
        }
        if (checkpoints.set[way] == 0) {
            return false;
        }
    }
}

// Puts key in a value walk's filter and set; false if the set held it
// already. Never fails: the set has more ways than keys.
template <typename Saved> bool addKey(Saved& checkpoints, uint64_t key) {
    constexpr uint64_t last = (uint64_t{1} << Saved::SET_BITS) - 1;
    const uint64_t bit = key >> (64 - Saved::FILTER_BITS);
    checkpoints.filter[bit / 64] |= uint64_t{1} << (bit % 64);
    for (uint64_t way = key >> (64 - Saved::SET_BITS);; way = (way + 1) & last) {
        if (checkpoints.set[way] == key) {
            return false;
        }
        if (checkpoints.set[way] == 0) {
            checkpoints.set[way] = key;
            return true;
        }
    }
}

// Puts held checkpoint index's key in a value walk's index. A key held
// already stays with the newest checkpoint and the anchors only: every other
// holder is forgotten, so that a step compares its value with at most three
// checkpoints (the newest, the anchor and prior, or a former anchor where
// prior is the anchor).
template <typename Saved> void insertHeld(Saved& checkpoints, int64_t index) {
    const uint64_t key = checkpoints.keys[index];
    if (addKey(checkpoints, key)) {
        return;
    }
    const int64_t anchor = checkpoints.anchor_at / checkpoints.gap;
    const int64_t prior = checkpoints.prior_at / checkpoints.gap;
    for (int64_t i = 0; i < index; i++) {
        if (checkpoints.keys[i] == key && i != anchor && i != prior) {
            checkpoints.keys[i] = 0;
            checkpoints.lost = true;
        }
    }
}

// Clears the index and puts every held key in, oldest first.
template <typename T, int Slots, int MostBits, int64_t Stretch, bool Filtered>
void buildTable(Checkpoints<T, Slots, MostBits, Stretch, Filtered>& checkpoints) {
    if constexpr (Filtered) {
        std::memset(checkpoints.filter, 0, sizeof(checkpoints.filter));
        std::memset(checkpoints.set, 0, sizeof(checkpoints.set));
        for (int64_t i = 0; i < checkpoints.count; i++) {
            insertHeld(checkpoints, i);
        }
    } else {
        std::memset(checkpoints.table, 0, sizeof(checkpoints.table));
        for (int64_t i = 0; i < checkpoints.count; i++) {
            tableInsert(checkpoints, checkpoints.table[checkpoints.keys[i] >> (64 - MostBits)],
                        checkpoints.keys[i]);
        }
    }
}

// Drops every other checkpoint (thinHeld) with its key, and each dropped key
// from the index unless a kept checkpoint has the same key. A value walk's
// index is cleared and the kept keys put back, which clears the filter's
// bits of dropped keys too; a list's buckets lose the dropped keys one by
// one. Held keys are all different (or 0) until an insert finds its key in
// the table, so only then are the kept ones searched.
template <typename T, int Slots, int MostBits, int64_t Stretch, bool Filtered>
void thinCheckpoints(Checkpoints<T, Slots, MostBits, Stretch, Filtered>& checkpoints) {
    if constexpr (Filtered) {
        for (int64_t i = 1; 2 * i < checkpoints.count; i++) {
            checkpoints.keys[i] = checkpoints.keys[2 * i];
        }
        thinHeld(checkpoints);
        std::memset(checkpoints.filter, 0, sizeof(checkpoints.filter));
        std::memset(checkpoints.set, 0, sizeof(checkpoints.set));
        for (int64_t i = 0; i < checkpoints.count; i++) {
            if (checkpoints.keys[i] != 0) {
                addKey(checkpoints, checkpoints.keys[i]);
            }
        }
        return;
    }
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

// The latest checkpoint equal to value (whose key is key) and never
// forgotten, or -1.
template <typename T, int Slots, int MostBits, int64_t Stretch, bool Filtered>
int64_t findHeld(const Checkpoints<T, Slots, MostBits, Stretch, Filtered>& checkpoints,
                 const T& value, uint64_t key) {
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
