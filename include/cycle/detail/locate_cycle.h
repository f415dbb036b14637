// Locating a cycle once a walk has sighted a repeat from its checkpoints:
// where it starts (mu), what its first value is, and its length (lambda),
// exact, for lists and values alike. A binary search over the checkpoints
// brackets mu within a gap; two cursors a lap apart close it. It runs once a
// walk, after the repeat, so it stays out of line (as does locateMeeting):
// inlined, it would only grow the code of every caller of findCycle.
#ifndef CYCLE_DETAIL_LOCATE_CYCLE_H
#define CYCLE_DETAIL_LOCATE_CYCLE_H

#include "checkpoint_table.h"
#include "config.h"
#include "table_stretch.h"
#include "tally.h"

#include <cstdint>
#include <utility>

namespace cycle {
namespace detail {

// The value at position target (at most a gap past the last checkpoint's),
// walked to from the checkpoint before it; the steps are added to moves.
template <typename Steps, typename Saved>
typename Steps::Value valueAt(const Saved& checkpoints, Steps& steps, int64_t target,
                              int64_t& moves) {
    int64_t from = target / checkpoints.gap;
    if (from >= checkpoints.count) {
        from = checkpoints.count - 1;
    }
    typename Steps::Value value = checkpoints.held[from].value;
    for (int64_t i = target - from * checkpoints.gap; i > 0; i--) {
        takeValue(value, steps.advance(value));
        moves++;
    }
    return moveIfMovable(value);
}

// Locates the cycle after seen, a repeat, as a Result {entry, mu, lambda}
// (Cycle or Period). lap, the distance from seen.repeat,
// is a multiple of lambda, and lambda itself except where the repeat was
// saved in the first stretch (see "Why the lap is lambda" above); mu is
// the first position p with value(p) == value(p + lap), a test that holds
// from mu on. A binary search over the checkpoints up to the repeat brackets
// mu within one gap, and two cursors lap apart close it. Calls: under
// (log2(SLOTS) + 5) gaps (the first probe under two gaps, each of the
// search's under one, then one for the cursor ahead and two for the pair),
// plus, for a repeat saved in the first stretch and sighted after it,
// under min(lap / 2, STRETCH - repeat) to measure lambda.
template <typename Result, typename Steps, typename Saved, typename Tally>
CYCLE_NOINLINE Result locateCycle(Steps& steps, const Saved& checkpoints, Sighting seen,
                                  Tally& tally) {
    using Value = typename Steps::Value;
    const int64_t gap = checkpoints.gap;
    const int64_t lap = seen.position - seen.repeat;

    int64_t moves = 0;
    int64_t chain = 0;
    // The first checkpoint at or after the repeat is on the cycle; where the
    // repeat is no checkpoint, or past the last, one probe tells.
    int64_t high = (seen.repeat + gap - 1) / gap;
    int64_t low = 0;
    if (high >= checkpoints.count || seen.repeat % gap != 0) {
        high = high < checkpoints.count ? high : checkpoints.count - 1;
        if (!(valueAt(checkpoints, steps, high * gap + lap, moves) ==
              checkpoints.held[high].value)) {
            low = high + 1;
        }
    }
    while (low < high) {
        int64_t middle = low + (high - low) / 2;
        if (valueAt(checkpoints, steps, middle * gap + lap, moves) ==
            checkpoints.held[middle].value) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    Value entry = checkpoints.held[0].value;
    int64_t mu = 0;
    if (low > 0) {
        // mu lies in ((low - 1) gap, low gap]: walk the pair until they meet.
        Value behind = checkpoints.held[low - 1].value;
        Value ahead = valueAt(checkpoints, steps, (low - 1) * gap + lap, moves);
        mu = (low - 1) * gap;
        chain = moves;
        while (!(behind == ahead)) {
            takeValue(behind, steps.advance(behind));
            takeValue(ahead, steps.advance(ahead));
            mu++;
            moves += 2;
            chain++;
        }
        entry = moveIfMovable(behind);
    }
    int64_t lambda = lap;
    if (seen.repeat <= Saved::STRETCH && seen.position > Saved::STRETCH) {
        // lap = m lambda, m the least with repeat + m lambda > STRETCH; m > 1
        // only if lambda <= STRETCH - repeat and lambda <= lap / 2, so a walk
        // round from the entry that long tells.
        const int64_t most =
            lap / 2 < Saved::STRETCH - seen.repeat ? lap / 2 : Saved::STRETCH - seen.repeat;
        Value around = entry;
        for (int64_t step = 1; step <= most; step++) {
            takeValue(around, steps.advance(around));
            moves++;
            chain++;
            if (around == entry) {
                lambda = step;
                break;
            }
        }
    }
    countMoves(tally, moves, chain < moves ? chain : moves);
    return Result{moveIfMovable(entry), mu, lambda};
}

} // namespace detail
} // namespace cycle

#endif
