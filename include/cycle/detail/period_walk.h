// The value walk behind findPeriod and findPeriodWithin: Brent's method in
// registers for the first 56 values, inlined where it is called, then the
// table stretch (table_stretch.h), and the cycle located from the
// checkpoints (locate_cycle.h).
//
// Costs, in calls of f: at most 2 max(mu, lambda) + lambda to see the
// repeat, plus under 13 gaps to locate it (a gap is 8, or S / 127, S the
// calls made to see the repeat), plus at most 56 when mu <= 56. T's ==: 3 a
// step in the first stretch (start and two tortoises), at most 3 a step in
// the table stretch (the checkpoints that hold the step's key: see
// insertHeld), one a step and 10 more to locate the cycle, and 2 where the
// first stretch sees its repeat: 3 a call of f and 12 more in all. hash:
// once a step of the table stretch, and once for each of the first
// stretch's 8 checkpoints and its anchor when the table is built, never
// more than once a call of f. The checkpoints take 256 values of T and
// 10 KiB of keys on the stack; nothing is allocated and no thread started.
#ifndef CYCLE_DETAIL_PERIOD_WALK_H
#define CYCLE_DETAIL_PERIOD_WALK_H

#include "../results.h"
#include "checkpoint_table.h"
#include "config.h"
#include "locate_cycle.h"
#include "spread.h"
#include "table_stretch.h"
#include "tally.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace cycle {
namespace detail {

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

// Walks from start until a value comes round again, or, with a limit other
// than NO_LIMIT, the sequence is known to be longer than limit. The walk is
// lambda positions past seen.repeat, or a multiple of lambda for a repeat
// saved in the first stretch (see "Why the lap is lambda" in
// checkpoint_table.h). At most 2 max(mu, lambda) + lambda steps; past the
// first stretch, mu + lambda plus less than a gap while no checkpoint was
// pushed out of the table. The first stretch, Brent's in registers, is
// inlined where it is called; it stores nothing before position
// firstGap(STRETCH), so a short sequence costs its calls and compares alone.
template <typename Steps, typename Saved, typename Tally>
CYCLE_ALWAYS_INLINE Sighting sightRepeat(const typename Steps::Value& start, Steps& steps,
                                         Saved& checkpoints, int64_t limit, Tally& tally) {
    using Value = typename Steps::Value;
    constexpr int64_t gap = firstGap(Saved::STRETCH);
    static_assert(Saved::STRETCH / gap + 1 <= FIRST_CHECKPOINTS, "the saves fit the first table");
    const Value first = start;
    Value value = start;
    Value anchor = start;
    Value previous = start;
    int64_t anchor_at = 0;
    int64_t previous_at = 0;
    int64_t position = 0;
    int64_t event = 1;
    for (;;) {
        takeValue(value, steps.advance(value));
        position++;
        if (steps.ended(value)) {
            countMoves(tally, position, position);
            return {-1, position};
        }
        if (value == anchor || value == previous || value == first) {
            const int64_t repeat = value == anchor     ? anchor_at
                                   : value == previous ? previous_at
                                                       : 0;
            if (checkpoints.count == 0) {
                holdCheckpoint(checkpoints, first);
            }
            countMoves(tally, position, position);
            return {repeat, position};
        }
        if (position != event) {
            continue;
        }
        if ((position & (position - 1)) == 0) {
            previous = moveIfMovable(anchor);
            previous_at = anchor_at;
            anchor = value;
            anchor_at = position;
        }
        if (position % gap == 0) {
            if (checkpoints.count == 0) {
                holdCheckpoint(checkpoints, first);
            }
            holdCheckpoint(checkpoints, value);
        }
        if (position == Saved::STRETCH) {
            break;
        }
        event = position < gap ? 2 * position : position + gap;
        event = event < Saved::STRETCH ? event : Saved::STRETCH;
    }
    return tableStretch(moveIfMovable(value), anchor, steps, checkpoints, limit, tally);
}

// The checkpoints of a value walk: VALUE_SLOTS (256) values of T and their
// keys (2 KiB), indexed by a filter (4 KiB) and a set (4 KiB) that never
// fill, the index built at VALUE_STRETCH (56) values; with a gap of at most
// a 128th of the position, the search for mu costs few calls of f.
template <typename T>
using ValueCheckpoints = Checkpoints<T, VALUE_SLOTS, VALUE_TABLE_BITS, VALUE_STRETCH, true>;

// findPeriodWithin with a tally; limit NO_LIMIT walks until a repeat.
template <typename T, typename F, typename Hash, typename Tally>
std::optional<Period<T>> findPeriod(const T& start, F& f, Hash& hash, int64_t limit, Tally& tally) {
    if (limit != NO_LIMIT && limit < 1) {
        return std::nullopt;
    }
    ValueSteps<T, F, Hash> steps{f, hash};
    ValueCheckpoints<T> checkpoints;
    Sighting seen = sightRepeat(start, steps, checkpoints, limit, tally);
    if (seen.repeat < 0) {
        return std::nullopt;
    }
    Period<T> found = locateCycle<Period<T>>(steps, checkpoints, seen, tally);
    if (limit != NO_LIMIT && found.mu + found.lambda > limit) {
        return std::nullopt;
    }
    return found;
}

} // namespace detail
} // namespace cycle

#endif
