// The walk behind hasCycle, findCycle and findPeriod: one cursor over a
// sequence (the nodes of a list, or the values x, f(x), f(f(x)), ...), and
// checkpoints: values it passed at known positions, which every step checks.
//
// Checkpoints are spaced gap positions apart from the start, gap a power of
// two. When a walk's slots are full, every other checkpoint is dropped and
// the gap doubles (Sedgewick, Szymanski and Yao's thinning), so a walk that
// has entered a cycle comes back to a checkpoint at most one gap after a lap.
//
// Two stretches, so that short sequences pay nothing for long ones:
// - positions below REGISTER_STRETCH: up to 8 checkpoints, gap from 1; the
//   first 7 steps are saved and checked against the start alone, then the
//   keys stay in registers and are all compared at every step;
// - then a table of two-way buckets of keys, indexed by the key's top bits,
//   made small and doubled as checkpoints accumulate. A new checkpoint always
//   gets in; the anchor, the checkpoint at the latest power-of-two position,
//   is never pushed out but by the next anchor, which keeps Brent's bound
//   whatever the keys.
// A key is a 64-bit mix of the value's hash (a list node's address), never
// 0, which marks an empty way. Equal keys only suggest a repeat: the value
// itself is compared before the walk stops.
#ifndef CYCLE_DETAIL_CHECKPOINTS_H
#define CYCLE_DETAIL_CHECKPOINTS_H

#include "tally.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

namespace cycle {
namespace detail {

constexpr uint64_t KEY_MULTIPLIER = 0x9E3779B97F4A7C15u;

// A hash spread by Fibonacci hashing over all 64 bits, odd so never 0.
inline uint64_t spreadKey(uint64_t hash) {
    return (hash * KEY_MULTIPLIER) | 1u;
}

// The first positions are checked against registers, not a table: up to 8
// keys, all compared each step, so a list of a few nodes costs its walk and
// a few compares. By position 32 the gap is 8.
constexpr int REGISTER_SLOTS = 8;
constexpr int64_t REGISTER_STRETCH = 32;

// The table starts at 16 buckets (256 bytes to clear) and doubles whenever
// it holds more checkpoints than buckets.
constexpr int FIRST_TABLE_BITS = 4;

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
        return spreadKey(static_cast<uint64_t>(hash(value)));
    }
};

// The walk's memory: held[i] is the value at position i * gap for i < count,
// keys[i] its key, and table the buckets of the first 2^bits rows in use.
// Values are constructed only as they are saved, so T needs no default
// constructor; whatever is held is destroyed with the record.
template <typename T, int Slots, int MostBits> struct Checkpoints {
    static_assert(Slots >= 2 * REGISTER_SLOTS && (Slots & (Slots - 1)) == 0,
                  "a power of two of slots, at least 16");
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
    int64_t gap = 1;
    uint64_t anchor = 0;
    int bits = 0;
    bool lost = false;   // a checkpoint was pushed out of the table
    bool shared = false; // two checkpoints had one key

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

// Saves value, with its key, as the next checkpoint. Cannot fail unless
// copying T throws.
template <typename T, int Slots, int MostBits>
void holdCheckpoint(Checkpoints<T, Slots, MostBits>& marks, const T& value, uint64_t key) {
    ::new (static_cast<void*>(&marks.held[marks.count].value)) T(value);
    marks.keys[marks.count] = key;
    marks.count++;
}

// Keeps the even checkpoints, packed to the front, and doubles the gap.
template <typename T, int Slots, int MostBits>
void thinHeld(Checkpoints<T, Slots, MostBits>& marks) {
    const int64_t kept = (marks.count + 1) / 2;
    for (int64_t i = 1; i < kept; i++) {
        marks.held[i].value = std::move(marks.held[2 * i].value);
        marks.keys[i] = marks.keys[2 * i];
    }
    if (!std::is_trivially_destructible<T>::value) {
        for (int64_t i = kept; i < marks.count; i++) {
            marks.held[i].value.~T();
        }
    }
    marks.count = kept;
    marks.gap *= 2;
}

// Puts key in its bucket: the first way if it is empty, else the second
// unless it holds the anchor, else the first. So the first way keeps the
// oldest checkpoint of its bucket until an anchor lands in the second.
template <typename T, int Slots, int MostBits>
void tableInsert(Checkpoints<T, Slots, MostBits>& marks, uint64_t key) {
    uint64_t* bucket = marks.table[key >> (64 - marks.bits)];
    if (bucket[0] == key || bucket[1] == key) {
        // Shared by two checkpoints: dropping one would hide the other.
        marks.lost = true;
        marks.shared = true;
        return;
    }
    if (bucket[0] == 0) {
        bucket[0] = key;
    } else if (bucket[1] != marks.anchor) {
        marks.lost = marks.lost || bucket[1] != 0;
        bucket[1] = key;
    } else {
        marks.lost = true;
        bucket[0] = key;
    }
}

// Clears 2^bits buckets and puts every held key in, oldest first.
template <typename T, int Slots, int MostBits>
void buildTable(Checkpoints<T, Slots, MostBits>& marks, int bits) {
    marks.bits = bits;
    std::memset(marks.table, 0, sizeof(marks.table[0]) << bits);
    for (int64_t i = 0; i < marks.count; i++) {
        tableInsert(marks, marks.keys[i]);
    }
}

// Doubles the table in place: bucket b's keys go to bucket 2b or 2b + 1 by
// their next bit, in the same order, so a key pushed out stays out (its
// checkpoint's revisit would no longer be lambda after its latest copy).
template <typename T, int Slots, int MostBits>
void growTable(Checkpoints<T, Slots, MostBits>& marks) {
    marks.bits++;
    const int shift = 64 - marks.bits;
    for (int64_t b = (int64_t{1} << (marks.bits - 1)) - 1; b >= 0; b--) {
        const uint64_t first = marks.table[b][0];
        const uint64_t second = marks.table[b][1];
        marks.table[2 * b][0] = marks.table[2 * b][1] = 0;
        marks.table[2 * b + 1][0] = marks.table[2 * b + 1][1] = 0;
        for (uint64_t key : {first, second}) {
            if (key != 0) {
                uint64_t* bucket = marks.table[key >> shift];
                bucket[bucket[0] == 0 ? 0 : 1] = key;
            }
        }
    }
}

// Drops every other checkpoint (thinHeld), and each dropped key from its
// bucket where it still is.
template <typename T, int Slots, int MostBits>
void thinCheckpoints(Checkpoints<T, Slots, MostBits>& marks) {
    for (int64_t i = 1; i < marks.count; i += 2) {
        const uint64_t key = marks.keys[i];
        for (uint64_t& way : marks.table[key >> (64 - marks.bits)]) {
            if (way == key) {
                way = 0;
            }
        }
    }
    thinHeld(marks);
}

// The latest checkpoint equal to value (whose key is key), or -1.
template <typename T, int Slots, int MostBits>
int64_t findHeld(const Checkpoints<T, Slots, MostBits>& marks, const T& value, uint64_t key) {
    for (int64_t i = marks.count - 1; i >= 0; i--) {
        if (marks.keys[i] == key && marks.held[i].value == value) {
            return i;
        }
    }
    return -1;
}

// Where a walk ended: on a value equal to checkpoint repeat, or, with repeat
// -1, at the end of a list or at the stop; position counts the steps taken.
struct Sighting {
    int64_t repeat;
    int64_t position;
};

constexpr int64_t NO_LIMIT = -1;

// The position at which a walk bounded by limit may stop unseen: by then a
// sequence with mu + lambda <= limit has been caught. With every checkpoint
// in the table that is within a gap of limit, and 8 more for a short cycle
// among the first steps, which only the registers catch; otherwise Brent's
// bound.
template <typename Marks> int64_t stopPosition(const Marks& marks, int64_t limit) {
    constexpr int64_t most = std::numeric_limits<int64_t>::max() / 4;
    if (limit == NO_LIMIT) {
        return std::numeric_limits<int64_t>::max();
    }
    if (limit > most) {
        limit = most;
    }
    return marks.lost ? 3 * limit + REGISTER_SLOTS : limit + marks.gap + REGISTER_SLOTS;
}

// Walks from start until a value equals a checkpoint, the list ends, or,
// with a limit other than NO_LIMIT, the sequence is known to be longer
// than limit. Each value is checked before it may be saved, so a repeat is
// the first visit again of a value since it was saved: lambda positions
// after its latest copy in held. At most 2 max(mu, lambda, 4) + lambda steps;
// mu + lambda plus less than a gap (under a 15th of the position, or 8)
// while no checkpoint was pushed out of the table.
template <typename Steps, typename Marks, typename Tally>
Sighting sightRepeat(const typename Steps::Value& start, Steps& steps, Marks& marks, int64_t limit,
                     Tally& tally) {
    using Value = typename Steps::Value;
    const uint64_t first = steps.key(start);
    holdCheckpoint(marks, start, first);
    marks.anchor = first;
    int64_t stop = stopPosition(marks, limit);

    // The first steps save every value and check only the start: a list of
    // a few nodes costs its walk and a store a node. A cycle among them that
    // misses the start is caught once the eight are in registers.
    Value value = start;
    int64_t position = 0;
    while (position + 1 < REGISTER_SLOTS) {
        value = steps.advance(value);
        position++;
        if (steps.ended(value)) {
            countMoves(tally, position, position);
            return {-1, position};
        }
        const uint64_t key = steps.key(value);
        if (key == first && value == marks.held[0].value) {
            countMoves(tally, position, position);
            return {0, position};
        }
        if (position >= stop) {
            countMoves(tally, position, position);
            return {-1, position};
        }
        if ((position & (position - 1)) == 0) {
            marks.anchor = key;
        }
        holdCheckpoint(marks, value, key);
    }
    uint64_t r0 = marks.keys[6], r1 = marks.keys[4], r2 = marks.keys[2], r3 = first;
    uint64_t r4 = first, r5 = first, r6 = first, r7 = first;
    thinHeld(marks);
    stop = stopPosition(marks, limit);
    int64_t next_save = marks.count * marks.gap;
    int64_t event = next_save < stop ? next_save : stop;
    for (;;) {
        value = steps.advance(value);
        position++;
        if (steps.ended(value)) {
            countMoves(tally, position, position);
            return {-1, position};
        }
        const uint64_t key = steps.key(value);
        if ((key == r0) | (key == r1) | (key == r2) | (key == r3) | (key == r4) | (key == r5) |
            (key == r6) | (key == r7)) {
            int64_t repeat = findHeld(marks, value, key);
            if (repeat >= 0) {
                countMoves(tally, position, position);
                return {repeat, position};
            }
        }
        if (position != event) {
            continue;
        }
        if (position >= stop) {
            countMoves(tally, position, position);
            return {-1, position};
        }
        if ((position & (position - 1)) == 0) {
            marks.anchor = key;
        }
        holdCheckpoint(marks, value, key);
        r7 = r6, r6 = r5, r5 = r4, r4 = r3, r3 = r2, r2 = r1, r1 = r0, r0 = key;
        if (marks.count == REGISTER_SLOTS) {
            thinHeld(marks);
            r0 = r1, r1 = r3, r2 = r5, r3 = r7;
            r4 = r5 = r6 = r7 = first;
            stop = stopPosition(marks, limit);
        }
        next_save = marks.count * marks.gap;
        if (next_save >= REGISTER_STRETCH) {
            break;
        }
        event = next_save < stop ? next_save : stop;
    }

    buildTable(marks, FIRST_TABLE_BITS);
    event = next_save < stop ? next_save : stop;
    for (;;) {
        value = steps.advance(value);
        position++;
        if (steps.ended(value)) {
            break;
        }
        const uint64_t key = steps.key(value);
        const uint64_t* bucket = marks.table[key >> (64 - marks.bits)];
        if (bucket[0] == key || bucket[1] == key) {
            int64_t repeat = findHeld(marks, value, key);
            if (repeat >= 0) {
                countMoves(tally, position, position);
                return {repeat, position};
            }
        }
        if (position != event) {
            continue;
        }
        if (position >= stop) {
            break;
        }
        if ((position & (position - 1)) == 0) {
            marks.anchor = key;
        }
        holdCheckpoint(marks, value, key);
        tableInsert(marks, key);
        if (marks.count == Marks::SLOTS) {
            thinCheckpoints(marks);
        } else if (marks.count > (int64_t{1} << marks.bits) && marks.bits < Marks::MOST_BITS) {
            growTable(marks);
        }
        stop = stopPosition(marks, limit);
        next_save = marks.count * marks.gap;
        event = next_save < stop ? next_save : stop;
    }
    countMoves(tally, position, position);
    return {-1, position};
}

// The value at position target, walked to from the checkpoint at or before
// it; target must be below the last checkpoint's position plus a gap. Fewer
// than gap steps, added to moves.
template <typename Steps, typename Marks>
typename Steps::Value valueAt(const Marks& marks, Steps& steps, int64_t target, int64_t& moves) {
    typename Steps::Value value = marks.held[target / marks.gap].value;
    for (int64_t i = target % marks.gap; i > 0; i--) {
        value = steps.advance(value);
        moves++;
    }
    return value;
}

// The cycle a walk sighted: its first value (entry), mu and lambda.
template <typename Value> struct Located {
    Value entry;
    int64_t mu;
    int64_t lambda;
};

// Locates the cycle after seen, a repeat. lambda is the repeat's distance
// from its latest copy (measured by a lap from the entry, lambda more steps,
// where that copy is among the first steps' values or two checkpoints shared
// a key); mu is the first position p with value(p)
// == value(p + lambda), a test that holds from mu on. A binary search over the checkpoints up to
// the repeat (each probe fewer than gap steps) brackets mu within one gap, and two cursors lambda
// apart close it: fewer than (log2(count) + 2) gaps of steps in all.
template <typename Steps, typename Marks, typename Tally>
Located<typename Steps::Value> locateCycle(Steps& steps, const Marks& marks, Sighting seen,
                                           Tally& tally) {
    using Value = typename Steps::Value;
    const int64_t gap = marks.gap;
    // A multiple of lambda: lambda itself unless a value was saved twice by
    // the first steps, which save unchecked, or two checkpoints shared a key.
    const int64_t lap = seen.position - seen.repeat * gap;

    int64_t moves = 0;
    int64_t chain = 0;
    int64_t low = 0;
    int64_t high = seen.repeat;
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
    if (seen.repeat * gap < REGISTER_SLOTS || marks.shared) {
        Value around = steps.advance(entry);
        moves++;
        for (lambda = 1; !(around == entry); lambda++) {
            around = steps.advance(around);
            moves++;
        }
        chain += lambda;
    }
    countMoves(tally, moves, chain > moves ? moves : chain);
    return {std::move(entry), mu, lambda};
}

} // namespace detail
} // namespace cycle

#endif
