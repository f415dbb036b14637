// Many lists checked at once in one thread: a fixed group of cursors, each
// running Brent's method on its own list, advanced one link each in turn, so
// that the misses of different lists overlap. A cursor whose list is decided
// takes the next list at once.
#ifndef CYCLE_DETAIL_INTERLEAVE_H
#define CYCLE_DETAIL_INTERLEAVE_H

#include "tally.h"

#include <cstddef>
#include <cstdint>

namespace cycle {
namespace detail {

constexpr size_t MOST_IN_FLIGHT = 64;

// One list's walk: Brent's runner and tortoise, the length walked since the
// tortoise last jumped and the length at which it jumps next.
template <typename Node> struct Cursor {
    const Node* runner;
    const Node* tortoise;
    int64_t length;
    int64_t power;
    size_t list;
};

// Starts cursor on the next list with a non-null head, deciding empty lists
// on the way; returns false when none is left.
template <typename Node>
bool startCursor(Cursor<Node>& cursor, const Node* const* heads, size_t count, size_t& taken,
                 bool* cyclic) {
    while (taken < count) {
        size_t list = taken++;
        if (heads[list] != nullptr) {
            cursor = Cursor<Node>{heads[list], heads[list], 0, 1, list};
            return true;
        }
        cyclic[list] = false;
    }
    return false;
}

// Decides every list of heads, in_flight cursors at a time (1 to
// MOST_IN_FLIGHT). Each step of a cursor is the runner's move and one test, as
// in brentWalk; the group is kept packed, so finished cursors cost nothing.
template <typename Node, typename Next, typename Tally>
void checkEach(const Node* const* heads, size_t count, Next& next, bool* cyclic, size_t in_flight,
               Tally& tally) {
    Cursor<Node> cursors[MOST_IN_FLIGHT];
    size_t taken = 0;
    size_t active = 0;
    while (active < in_flight && startCursor(cursors[active], heads, count, taken, cyclic)) {
        active++;
    }
    int64_t moves = 0;
    while (active > 0) {
        for (size_t i = 0; i < active;) {
            Cursor<Node>& cursor = cursors[i];
            const Node* runner = next(cursor.runner);
            moves++;
            if (runner != nullptr && runner != cursor.tortoise) {
                cursor.runner = runner;
                if (++cursor.length == cursor.power) {
                    cursor.tortoise = runner;
                    cursor.power *= 2;
                    cursor.length = 0;
                }
                i++;
                continue;
            }
            cyclic[cursor.list] = runner != nullptr;
            if (!startCursor(cursor, heads, count, taken, cyclic)) {
                cursor = cursors[--active];
                continue;
            }
            i++;
        }
    }
    countMoves(tally, moves, moves);
}

} // namespace detail
} // namespace cycle

#endif
