// The walk behind hasCycle, findCycle and findPeriod: a cursor over a
// sequence (the nodes of a list, or the values x, f(x), f(f(x)), ...), and
// checkpoints: values it passed at known positions, which every step checks.
//
// Two stretches, so that short sequences pay nothing for long ones (the
// constants are named and related below). The first is inlined where the
// walk is called, and stores nothing until its first save:
// - lists, up to position 224: the hare's walk. A fast cursor goes two nodes
//   a turn and a slow one trails at one (Floyd's tortoise and hare), which
//   costs a linear list one compare every two nodes beside the tests for
//   the end; every 32nd node is saved, unchecked;
// - values, up to position 56: Brent's method with two tortoises, in
//   registers, each value compared with the start and with the values at the
//   latest two power-of-two positions, since there a call of f is the cost:
//   every 8th value is saved, unchecked.
// The second, out of line: a table of two-way buckets of the saved values'
// keys, indexed by the key's top bits, cleared once, that starts with the 8
// saves. Checkpoints are spaced gap positions apart, gap a power of two (32
// for lists and 8 for values at first); when all slots are full every other
// one is dropped and the gap doubles (Sedgewick, Szymanski and Yao's
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
#ifndef CYCLE_DETAIL_CHECKPOINTS_H
#define CYCLE_DETAIL_CHECKPOINTS_H

#include "tally.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

// The walk's first stretch is inlined where it is called, whatever the
// compiler's size estimate, and its table stretch kept out of line. Each
// rare condition of a steady loop is marked rare, so that the compiler lays
// the loop out as one block whose only taken branch is the one back.
#if defined(__GNUC__) || defined(__clang__)
#define CYCLE_ALWAYS_INLINE inline __attribute__((always_inline))
#define CYCLE_NOINLINE __attribute__((noinline))
#define CYCLE_RARELY(condition) __builtin_expect(static_cast<bool>(condition), 0)
#else
#define CYCLE_ALWAYS_INLINE inline
#define CYCLE_NOINLINE
#define CYCLE_RARELY(condition) (condition)
#endif

namespace cycle {
namespace detail {

constexpr uint64_t KEY_MULTIPLIER = 0x9E3779B97F4A7C15u;

// A hash spread by Fibonacci hashing over all 64 bits.
inline uint64_t spreadKey(uint64_t hash) {
    return hash * KEY_MULTIPLIER;
}

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

// A sequence of values x, f(x), ...: never ended, keyed by the caller's hash.
template <typename T, typename F, typename Hash> struct ValueSteps {
    using Value = T;
    F& f;
    Hash& hash;

    T advance(const T& value) {
        return f(value);
    }
    static bool ended(const T&) {
        return false;
    }
    uint64_t key(const T& value) {
        return spreadKey(static_cast<uint64_t>(hash(value))) | 1u;
    }
};

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
void holdCheckpoint(Checkpoints<T, Slots, MostBits, Stretch>& marks, const T& value) {
    ::new (static_cast<void*>(&marks.held[marks.count].value)) T(value);
    marks.count++;
}

// Keeps the even checkpoints' values, packed to the front, and doubles the
// gap. Their keys are the caller's to move: the first stretch has none
// yet.
template <typename T, int Slots, int MostBits, int64_t Stretch>
void thinHeld(Checkpoints<T, Slots, MostBits, Stretch>& marks) {
    const int64_t kept = (marks.count + 1) / 2;
    for (int64_t i = 1; i < kept; i++) {
        marks.held[i].value = std::move(marks.held[2 * i].value);
    }
    if (!std::is_trivially_destructible<T>::value) {
        for (int64_t i = kept; i < marks.count; i++) {
            marks.held[i].value.~T();
        }
    }
    marks.count = kept;
    marks.gap *= 2;
}

// Marks every held checkpoint whose key is key as out of the table for good:
// its key becomes 0, which no probe matches. Called when key leaves its
// bucket, so that no later checkpoint of the same key can bring it back.
template <typename Marks> void forgetKey(Marks& marks, uint64_t key) {
    for (int64_t i = 0; i < marks.count; i++) {
        if (marks.keys[i] == key) {
            marks.keys[i] = 0;
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
template <typename Marks> inline void tableInsert(Marks& marks, uint64_t* bucket, uint64_t key) {
    if (bucket[0] == key || bucket[1] == key) {
        marks.shared = true;
        return;
    }
    const auto held = [&marks](uint64_t way) {
        return (way == marks.anchor) | (way == marks.prior);
    };
    const bool second_free = !held(bucket[1]);
    if (CYCLE_RARELY(!second_free && held(bucket[0]))) {
        marks.lost = true;
        forgetKey(marks, key);
        return;
    }
    const int way = (bucket[0] != 0) & second_free;
    const uint64_t pushed = bucket[way];
    bucket[way] = key;
    if (pushed != 0) {
        marks.lost = true;
        forgetKey(marks, pushed);
    }
}

// Clears the table and puts every held key in, oldest first.
template <typename T, int Slots, int MostBits, int64_t Stretch>
void buildTable(Checkpoints<T, Slots, MostBits, Stretch>& marks) {
    std::memset(marks.table, 0, sizeof(marks.table));
    for (int64_t i = 0; i < marks.count; i++) {
        tableInsert(marks, marks.table[marks.keys[i] >> (64 - MostBits)], marks.keys[i]);
    }
}

// Drops every other checkpoint (thinHeld) with its key, and each dropped key
// from its bucket unless a kept checkpoint has the same key. Held keys are
// all different (or 0) until an insert finds its key in the table, so only
// then are the kept ones searched.
template <typename T, int Slots, int MostBits, int64_t Stretch>
void thinCheckpoints(Checkpoints<T, Slots, MostBits, Stretch>& marks) {
    for (int64_t i = 1; i < marks.count; i += 2) {
        const uint64_t key = marks.keys[i];
        bool kept = key == 0;
        for (int64_t j = 0; marks.shared && j < marks.count && !kept; j += 2) {
            kept = marks.keys[j] == key;
        }
        if (kept) {
            continue;
        }
        for (uint64_t& way : marks.table[key >> (64 - MostBits)]) {
            if (way == key) {
                way = 0;
            }
        }
    }
    for (int64_t i = 1; 2 * i < marks.count; i++) {
        marks.keys[i] = marks.keys[2 * i];
    }
    thinHeld(marks);
}

// The latest checkpoint equal to value (whose key is key) and never out of
// the table, or -1.
template <typename T, int Slots, int MostBits, int64_t Stretch>
int64_t findHeld(const Checkpoints<T, Slots, MostBits, Stretch>& marks, const T& value,
                 uint64_t key) {
    for (int64_t i = marks.count - 1; i >= 0; i--) {
        if (marks.keys[i] == key && marks.held[i].value == value) {
            return i;
        }
    }
    return -1;
}

// Where a walk ended: on a value first seen again since position repeat, or,
// with repeat -1, at the end of a list or at the stop; position counts the
// steps taken.
struct Sighting {
    int64_t repeat;
    int64_t position;
};

constexpr int64_t NO_LIMIT = -1;

// The position at which a walk bounded by limit may stop unseen: by then a
// sequence with mu + lambda <= limit has been caught. With every checkpoint
// in the table that is within a gap of limit (and of the table's start),
// otherwise Brent's bound.
template <typename Marks> int64_t stopPosition(const Marks& marks, int64_t limit) {
    constexpr int64_t most = std::numeric_limits<int64_t>::max() / 4;
    if (limit == NO_LIMIT) {
        return std::numeric_limits<int64_t>::max();
    }
    if (limit > most) {
        limit = most;
    }
    const int64_t reach = marks.gap > Marks::STRETCH ? marks.gap : Marks::STRETCH;
    return marks.lost ? 3 * limit + reach + SAVE_GAP : limit + reach + SAVE_GAP;
}

// The largest power of two up to stretch: where the first stretch's anchor is.
constexpr int64_t firstAnchor(int64_t stretch) {
    int64_t power = 1;
    while (2 * power <= stretch) {
        power *= 2;
    }
    return power;
}

// The table stretch of sightRepeat, out of line so that the register
// stretch stays small enough to inline where the walk is called: value is
// the one at position STRETCH, anchor the one at the latest power of two,
// the checkpoints those of the first stretch. Builds the table and walks
// on, as sightRepeat says. The first stretch's anchor, A, stays protected
// (prior) until STRETCH + A: a cycle with mu, lambda <= A brings it round
// by then, since it is on the cycle and checked from STRETCH + 1 on.
//
// The steady loop is one block: a step, its key, its bucket, and branches
// out, each marked rare (the end, a key in the bucket, the next save or the
// stop), so that the only taken branch is the one back. Laid out as the
// compiler pleased, the same tests made a loop of two blocks whose speed hung
// on where they were placed (twice the walk's time on one Intel core, at the
// walk's own on AMD). Folding the tests into one flag costs more
// instructions than the walk leaves room for.
template <typename Steps, typename Marks, typename Tally>
CYCLE_NOINLINE Sighting tableStretch(typename Steps::Value value,
                                     const typename Steps::Value& anchor, Steps& steps,
                                     Marks& marks, int64_t limit, Tally& tally) {
    constexpr int64_t release = Marks::STRETCH + firstAnchor(Marks::STRETCH);
    int64_t position = Marks::STRETCH;
    for (int64_t i = 0; i < marks.count; i++) {
        marks.keys[i] = steps.key(marks.held[i].value);
    }
    marks.anchor = steps.key(anchor);
    marks.prior = marks.anchor;
    marks.lost = false;
    marks.shared = false;
    buildTable(marks);
    int64_t stop = stopPosition(marks, limit);
    int64_t next_save = marks.count * marks.gap;
    int64_t event = next_save < stop ? next_save : stop;
    for (;;) {
        value = steps.advance(value);
        position++;
        if (CYCLE_RARELY(steps.ended(value))) {
            break;
        }
        const uint64_t key = steps.key(value);
        uint64_t* bucket = marks.table[key >> (64 - Marks::MOST_BITS)];
        if (CYCLE_RARELY(bucket[0] == key) || CYCLE_RARELY(bucket[1] == key)) {
            const int64_t repeat = findHeld(marks, value, key);
            if (repeat >= 0) {
                countMoves(tally, position, position);
                return {repeat * marks.gap, position};
            }
        }
        if (!CYCLE_RARELY(position == event)) {
            continue;
        }
        if (position >= stop) {
            break;
        }
        if ((position & (position - 1)) == 0) {
            marks.prior = marks.anchor;
            marks.anchor = key;
        }
        if (position >= release) {
            marks.prior = marks.anchor;
        }
        marks.keys[marks.count] = key;
        holdCheckpoint(marks, value);
        tableInsert(marks, bucket, key);
        if (marks.count == Marks::SLOTS) {
            thinCheckpoints(marks);
        }
        stop = stopPosition(marks, limit);
        next_save = marks.count * marks.gap;
        event = next_save < stop ? next_save : stop;
    }
    countMoves(tally, position, position);
    return {-1, position};
}

// Walks from start until a value comes round again, the list ends, or, with a
// limit other than NO_LIMIT, the sequence is known to be longer than limit.
// The walk is lambda positions past seen.repeat, or a multiple of lambda for
// a repeat saved in the first stretch (see "Why the lap is lambda"). At
// most 2 max(mu, lambda) + lambda steps; past the first stretch, mu +
// lambda plus less than a gap while no checkpoint was pushed out of the
// table. The first stretch, Brent's in registers, is inlined where it is
// called (lists have the hare's, sightListRepeat, instead); it stores
// nothing before position firstGap(STRETCH), so a short list costs its loads
// and compares alone.
template <typename Steps, typename Marks, typename Tally>
CYCLE_ALWAYS_INLINE Sighting sightRepeat(const typename Steps::Value& start, Steps& steps,
                                         Marks& marks, int64_t limit, Tally& tally) {
    using Value = typename Steps::Value;
    constexpr int64_t gap = firstGap(Marks::STRETCH);
    static_assert(Marks::STRETCH / gap + 1 <= FIRST_CHECKPOINTS, "the saves fit the first table");
    const Value first = start;
    Value value = start;
    Value anchor = start;
    Value previous = start;
    int64_t anchor_at = 0;
    int64_t previous_at = 0;
    int64_t position = 0;
    int64_t event = 1;
    for (;;) {
        value = steps.advance(value);
        position++;
        if (steps.ended(value)) {
            countMoves(tally, position, position);
            return {-1, position};
        }
        if (value == anchor || value == previous || value == first) {
            const int64_t repeat = value == anchor     ? anchor_at
                                   : value == previous ? previous_at
                                                       : 0;
            if (marks.count == 0) {
                holdCheckpoint(marks, first);
            }
            countMoves(tally, position, position);
            return {repeat, position};
        }
        if (position != event) {
            continue;
        }
        if ((position & (position - 1)) == 0) {
            previous = std::move(anchor);
            previous_at = anchor_at;
            anchor = value;
            anchor_at = position;
        }
        if (position % gap == 0) {
            if (marks.count == 0) {
                holdCheckpoint(marks, first);
            }
            holdCheckpoint(marks, value);
        }
        if (position == Marks::STRETCH) {
            break;
        }
        event = position < gap ? 2 * position : position + gap;
        event = event < Marks::STRETCH ? event : Marks::STRETCH;
    }
    return tableStretch(std::move(value), anchor, steps, marks, limit, tally);
}

// The cycle a walk sighted: its first value (entry), mu and lambda.
template <typename Value> struct Located {
    Value entry;
    int64_t mu;
    int64_t lambda;
};

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
template <typename Node, typename Next, typename Marks, typename Tally>
CYCLE_ALWAYS_INLINE Sighting sightListRepeat(const Node* head, ListSteps<Node, Next>& steps,
                                             Marks& marks, const Node*& met, Tally& tally) {
    constexpr int64_t gap = firstGap(Marks::STRETCH);
    static_assert(Marks::STRETCH % gap == 0 && Marks::STRETCH / gap + 1 <= FIRST_CHECKPOINTS,
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
        if (marks.count == 0) {
            holdCheckpoint(marks, head);
        }
        holdCheckpoint(marks, fast);
        if (2 * turns + 2 == Marks::STRETCH) {
            break;
        }
        block_end += gap / 2;
    }
    countMoves(tally, turns, 0);
    return tableStretch(fast, marks.held[firstAnchor(Marks::STRETCH) / gap].value, steps, marks,
                        NO_LIMIT, tally);
}

// The cycle of a list whose hare met the tortoise, at met, after seen: the
// lap seen.position - seen.repeat is a multiple of lambda, so Floyd's second
// walk, from the head and from the node a lap past it (met moved on to the
// lap), in step, meets at the entry, and a walk round from there measures
// lambda. At most 2 mu + lambda + 2 calls.
template <typename Node, typename Next, typename Tally>
Located<const Node*> locateMeeting(ListSteps<Node, Next>& steps, const Node* head, const Node* met,
                                   Sighting seen, Tally& tally) {
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

// The value at position target (at most a gap past the last checkpoint's),
// walked to from the checkpoint before it; the steps are added to moves.
template <typename Steps, typename Marks>
typename Steps::Value valueAt(const Marks& marks, Steps& steps, int64_t target, int64_t& moves) {
    int64_t from = target / marks.gap;
    if (from >= marks.count) {
        from = marks.count - 1;
    }
    typename Steps::Value value = marks.held[from].value;
    for (int64_t i = target - from * marks.gap; i > 0; i--) {
        value = steps.advance(value);
        moves++;
    }
    return value;
}

// Locates the cycle after seen, a repeat. lap, the distance from seen.repeat,
// is a multiple of lambda, and lambda itself except where the repeat was
// saved in the first stretch (see "Why the lap is lambda" above); mu is
// the first position p with value(p) == value(p + lap), a test that holds
// from mu on. A binary search over the checkpoints up to the repeat brackets
// mu within one gap, and two cursors lap apart close it. Calls: under
// (log2(SLOTS) + 5) gaps (the first probe under two gaps, each of the
// search's under one, then one for the cursor ahead and two for the pair),
// plus, for a repeat saved in the first stretch and sighted after it,
// under min(lap / 2, STRETCH - repeat) to measure lambda.
template <typename Steps, typename Marks, typename Tally>
Located<typename Steps::Value> locateCycle(Steps& steps, const Marks& marks, Sighting seen,
                                           Tally& tally) {
    using Value = typename Steps::Value;
    const int64_t gap = marks.gap;
    const int64_t lap = seen.position - seen.repeat;

    int64_t moves = 0;
    int64_t chain = 0;
    // The first checkpoint at or after the repeat is on the cycle; where the
    // repeat is no checkpoint, or past the last, one probe tells.
    int64_t high = (seen.repeat + gap - 1) / gap;
    int64_t low = 0;
    if (high >= marks.count || seen.repeat % gap != 0) {
        high = high < marks.count ? high : marks.count - 1;
        if (!(valueAt(marks, steps, high * gap + lap, moves) == marks.held[high].value)) {
            low = high + 1;
        }
    }
    while (low < high) {
        int64_t middle = low + (high - low) / 2;
        if (valueAt(marks, steps, middle * gap + lap, moves) == marks.held[middle].value) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    Value entry = marks.held[0].value;
    int64_t mu = 0;
    if (low > 0) {
        // mu lies in ((low - 1) gap, low gap]: walk the pair until they meet.
        Value behind = marks.held[low - 1].value;
        Value ahead = valueAt(marks, steps, (low - 1) * gap + lap, moves);
        mu = (low - 1) * gap;
        chain = moves;
        while (!(behind == ahead)) {
            behind = steps.advance(behind);
            ahead = steps.advance(ahead);
            mu++;
            moves += 2;
            chain++;
        }
        entry = std::move(behind);
    }
    int64_t lambda = lap;
    if (seen.repeat <= Marks::STRETCH && seen.position > Marks::STRETCH) {
        // lap = m lambda, m the least with repeat + m lambda > STRETCH; m > 1
        // only if lambda <= STRETCH - repeat and lambda <= lap / 2, so a walk
        // round from the entry that long tells.
        const int64_t most =
            lap / 2 < Marks::STRETCH - seen.repeat ? lap / 2 : Marks::STRETCH - seen.repeat;
        Value around = entry;
        for (int64_t step = 1; step <= most; step++) {
            around = steps.advance(around);
            moves++;
            chain++;
            if (around == entry) {
                lambda = step;
                break;
            }
        }
    }
    countMoves(tally, moves, chain < moves ? chain : moves);
    return {std::move(entry), mu, lambda};
}

} // namespace detail
} // namespace cycle

#endif
