// Many lists checked at once in one thread: a fixed group of cursors, each
// running Brent's method on its own list, advanced one link each in turn, so
// that the misses of different lists overlap. A cursor whose list is decided
// takes the next list at once. Brent's method, because its state is a few
// words and its step a few compares: a step's instructions, not its memory,
// limit how many misses a core keeps in flight. Each cursor keeps its last
// two tortoises: one more compare a step, and a cycle entered at a random
// point costs about 1.25 times its list's nodes instead of 1.55.
#ifndef CYCLE_DETAIL_INTERLEAVE_H
#define CYCLE_DETAIL_INTERLEAVE_H

#include "config.h"
#include "tally.h"

#include <cstddef>
#include <cstdint>

namespace cycle {
namespace detail {

constexpr size_t MOST_IN_FLIGHT = 64;

// The cursors, kept as parallel arrays so that a step touches little else
// than its own words: Brent's runner, tortoise and the tortoise before it,
// the moves left until the tortoise jumps to the runner, the length of the
// next such stretch, and the list each cursor walks.
template <typename Node> struct Cursors {
    const Node* runner[MOST_IN_FLIGHT];
    const Node* tortoise[MOST_IN_FLIGHT];
    const Node* previous[MOST_IN_FLIGHT];
    int64_t left[MOST_IN_FLIGHT];
    int64_t stretch[MOST_IN_FLIGHT];
    size_t list[MOST_IN_FLIGHT];
};

// Starts cursor i on the next list with a non-null head, deciding empty lists
// on the way; returns false when none is left.
template <typename Node>
bool startCursor(Cursors<Node>& cursors, size_t i, const Node* const* heads, size_t count,
                 size_t& taken, bool* cyclic) {
    while (taken < count) {
        size_t list = taken++;
        if (heads[list] != nullptr) {
            cursors.runner[i] = heads[list];
            cursors.tortoise[i] = heads[list];
            cursors.previous[i] = heads[list];
            cursors.left[i] = 1;
            cursors.stretch[i] = 1;
            cursors.list[i] = list;
            return true;
        }
        cyclic[list] = false;
    }
    return false;
}

// Moves cursor from to slot to.
template <typename Node> void moveCursor(Cursors<Node>& cursors, size_t to, size_t from) {
    cursors.runner[to] = cursors.runner[from];
    cursors.tortoise[to] = cursors.tortoise[from];
    cursors.previous[to] = cursors.previous[from];
    cursors.left[to] = cursors.left[from];
    cursors.stretch[to] = cursors.stretch[from];
    cursors.list[to] = cursors.list[from];
}

// Decides every list of heads, in_flight cursors at a time (1 to
// MOST_IN_FLIGHT). A cursor's step is the runner's move and the tests of
// brentWalk; the group is kept packed, so finished cursors cost nothing. The
// fewer instructions a step takes, the more steps, and so misses, the core
// can hold in flight.
template <typename Node, typename Next, typename Tally>
void checkEach(const Node* const* heads, size_t count, Next& next, bool* cyclic, size_t in_flight,
               Tally& tally) {
    Cursors<Node> cursors;
    size_t taken = 0;
    size_t active = 0;
    while (active < in_flight && startCursor(cursors, active, heads, count, taken, cyclic)) {
        active++;
    }
    int64_t moves = 0;
    while (active > 0) {
        for (size_t i = 0; i < active;) {
            const Node* runner = next(cursors.runner[i]);
            // Asked for ahead of the next round, when this cursor calls next
            // on it; a prefetch retires at once, so unlike a load it does not
            // hold the core's window, and the group keeps as many misses in
            // flight as the memory system takes. A null node is harmless.
            prefetchLine(runner);
            moves++;
            if (runner != nullptr && runner != cursors.tortoise[i] &&
                runner != cursors.previous[i]) {
                cursors.runner[i] = runner;
                if (--cursors.left[i] == 0) {
                    cursors.previous[i] = cursors.tortoise[i];
                    cursors.tortoise[i] = runner;
                    cursors.stretch[i] *= 2;
                    cursors.left[i] = cursors.stretch[i];
                }
                i++;
                continue;
            }
            cyclic[cursors.list[i]] = runner != nullptr;
            if (startCursor(cursors, i, heads, count, taken, cyclic)) {
                i++;
            } else {
                moveCursor(cursors, i, --active);
            }
        }
    }
    countMoves(tally, moves, moves);
}

} // namespace detail
} // namespace cycle

#endif
