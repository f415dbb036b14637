// The walk that sights a repeat, shared by lists and values: a cursor over
// a sequence (the nodes of a list, or the values x, f(x), f(f(x)), ...) that
// checks every step against the checkpoints it saved (checkpoint_table.h).
//
// Two stretches, so that short sequences pay nothing for long ones. The
// first is inlined where the walk is called, and stores nothing until its
// first save; each kind of sequence has its own:
// - lists, up to position 224: the hare's walk (sightListRepeat,
//   list_walk.h). A fast cursor goes two nodes a turn and a slow one trails
//   at one (Floyd's tortoise and hare), which costs a linear list one
//   compare every two nodes beside the tests for the end; every 32nd node
//   is saved, unchecked;
// - values, up to position 56: Brent's method with two tortoises, in
//   registers (sightRepeat, period_walk.h), each value compared with the
//   start and with the values at the latest two power-of-two positions,
//   since there a call of f is the cost: every 8th value is saved, unchecked.
// The second, here and out of line: the table of the saved values' keys,
// built once with the first stretch's saves, checked at every step.
//
// Cost. Past the first stretch, mu + lambda steps and less than a gap while
// no checkpoint was pushed out of the table; at most 2 max(mu, lambda) +
// lambda whatever the keys.
#ifndef CYCLE_DETAIL_TABLE_STRETCH_H
#define CYCLE_DETAIL_TABLE_STRETCH_H

#include "checkpoint_table.h"
#include "config.h"
#include "tally.h"

#include <cstdint>

namespace cycle {
namespace detail {

// Where a walk ended: on a value first seen again since position repeat, or,
// with repeat -1, at the end of a list or at the stop; position counts the
// steps taken.
struct Sighting {
    int64_t repeat;
    int64_t position;
};

// The table stretch of both walks (sightRepeat, sightListRepeat), out of
// line so that the first stretch stays small enough to inline where the walk
// is called: value is the one at position STRETCH, anchor the one at the
// latest power of two, the checkpoints those of the first stretch. Builds
// the table and walks on until a value comes round again, the list ends, or,
// with a limit other than NO_LIMIT, the sequence is known to be longer than
// limit. The first stretch's anchor, A, stays protected
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
template <typename Steps, typename Saved, typename Tally>
CYCLE_NOINLINE Sighting tableStretch(typename Steps::Value value,
                                     const typename Steps::Value& anchor, Steps& steps,
                                     Saved& checkpoints, int64_t limit, Tally& tally) {
    constexpr int64_t release = Saved::STRETCH + firstAnchor(Saved::STRETCH);
    int64_t position = Saved::STRETCH;
    for (int64_t i = 0; i < checkpoints.count; i++) {
        checkpoints.keys[i] = steps.key(checkpoints.held[i].value);
    }
    checkpoints.anchor = steps.key(anchor);
    checkpoints.prior = checkpoints.anchor;
    checkpoints.anchor_at = firstAnchor(Saved::STRETCH);
    checkpoints.prior_at = checkpoints.anchor_at;
    checkpoints.lost = false;
    checkpoints.shared = false;
    buildTable(checkpoints);
    int64_t stop = stopPosition(checkpoints, limit);
    int64_t next_save = checkpoints.count * checkpoints.gap;
    int64_t event = next_save < stop ? next_save : stop;
    for (;;) {
        takeValue(value, steps.advance(value));
        position++;
        if (CYCLE_RARELY(steps.ended(value))) {
            break;
        }
        const uint64_t key = steps.key(value);
        uint64_t* bucket = nullptr;
        if constexpr (Saved::FILTERED) {
            if (CYCLE_RARELY(filterMayHold(checkpoints, key)) && setHolds(checkpoints, key)) {
                const int64_t repeat = findHeld(checkpoints, value, key);
                if (repeat >= 0) {
                    countMoves(tally, position, position);
                    return {repeat * checkpoints.gap, position};
                }
            }
        } else {
            bucket = checkpoints.table[key >> (64 - Saved::MOST_BITS)];
            if (CYCLE_RARELY(bucket[0] == key) || CYCLE_RARELY(bucket[1] == key)) {
                const int64_t repeat = findHeld(checkpoints, value, key);
                if (repeat >= 0) {
                    countMoves(tally, position, position);
                    return {repeat * checkpoints.gap, position};
                }
            }
        }
        if (!CYCLE_RARELY(position == event)) {
            continue;
        }
        if (position >= stop) {
            break;
        }
        if ((position & (position - 1)) == 0) {
            checkpoints.prior = checkpoints.anchor;
            checkpoints.anchor = key;
            checkpoints.prior_at = checkpoints.anchor_at;
            checkpoints.anchor_at = position;
        }
        if (position >= release) {
            checkpoints.prior = checkpoints.anchor;
            checkpoints.prior_at = checkpoints.anchor_at;
        }
        checkpoints.keys[checkpoints.count] = key;
        holdCheckpoint(checkpoints, value);
        if constexpr (Saved::FILTERED) {
            insertHeld(checkpoints, checkpoints.count - 1);
        } else {
            tableInsert(checkpoints, bucket, key);
        }
        if (checkpoints.count == Saved::SLOTS) {
            thinCheckpoints(checkpoints);
        }
        stop = stopPosition(checkpoints, limit);
        next_save = checkpoints.count * checkpoints.gap;
        event = next_save < stop ? next_save : stop;
    }
    countMoves(tally, position, position);
    return {-1, position};
}

} // namespace detail
} // namespace cycle

#endif
