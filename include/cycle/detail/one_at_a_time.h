// The mapping functions one start at a time, as the textbook has them, with
// no bookkeeping beyond the outputs. A step costs a few cycles while the
// arrays are near the core; the walks in flight of colouring.h and the
// passes of trace.h, built to overlap misses, cost more than they save
// there, and win only on long paths, which are chains of dependent misses.
// So a mapping is walked one start at a time up to a size, and a long path
// gives up the walk once the arrays are past a smaller size. As measured
// on AMD Zen 5 (L1 48 KiB, L2 1 MiB a core), for 32-bit tables:
// findCycles one start at a time 2x to 3x faster than the walks in flight
// at 2^10 to 2^14 elements on random mappings and forests, still 1.1x to
// 1.2x at 2^19, even at 2^20, behind from 2^21; on permutations and chains
// the walks in flight level with the walk at 2^14 (80 KiB), 3.5x to 6x
// faster at 2^16 and 2^17. traceAll one start at a time 1.2x to 1.7x faster
// than its passes at 2^14 on every shape, and at 2^18 on forests; the
// passes 2.6x faster on a 2^18 permutation.
//
// Costs: findCycles reads each entry at most twice (once to walk it, and
// once more to go round a cycle that a path past its buffer entered away
// from its start), in one byte an element and a path of LONG_PATH elements
// (8 KiB) on the stack; a path that grows longer past HAND_OFF_BYTES
// hands the rest to the walks in flight, whose two reads of each element
// come after the at most 1,024 the walk made. traceAll reads each entry once, with the
// queue's Index an element as its stack; a path that grows longer past
// TRACE_HAND_OFF_BYTES leaves the outputs to the passes, whose reads come
// after at most one of each entry. Neither starts a thread.
#ifndef CYCLE_DETAIL_ONE_AT_A_TIME_H
#define CYCLE_DETAIL_ONE_AT_A_TIME_H

#include "../results.h"
#include "colour_state.h"
#include "config.h"
#include "mapping_reads.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace cycle {
namespace detail {

// The bytes of a mapping's arrays up to which each function walks one start
// at a time (findCycles: the table and a colour byte an element; traceAll:
// the table, both outputs and the stack).
constexpr uint64_t COLOUR_ONE_AT_A_TIME_BYTES = uint64_t{4} << 20;
constexpr uint64_t TRACE_ONE_AT_A_TIME_BYTES = uint64_t{4} << 20;

// The bytes past which traceAll gives up on a path that grows long, and
// runs its passes from scratch: there a long path is a chain of L2 misses
// that the passes overlap (at 2^18 32-bit elements, 4 MiB, a permutation
// measured 2.6x the passes' time walked one start at a time), while
// forests and random mappings, whose paths stay short, are walked faster
// one start at a time.
constexpr uint64_t TRACE_HAND_OFF_BYTES = uint64_t{2} << 20;

// The bytes past which findCycles hands a long path to the walks in
// flight: about the L1, within which a path's dependent loads cost as
// little as the walks' bookkeeping. Below it a long path takes a colour of
// its own rather than being walked again to be marked (at 2^13 32-bit
// elements, 40 KiB, permutations and chains measured 1.4x faster so).
constexpr uint64_t HAND_OFF_BYTES = uint64_t{64} << 10;

// A path this long is a long path.
constexpr uint64_t LONG_PATH = 1024;

template <typename Index> constexpr uint64_t colourBytes(uint64_t m) {
    return m * (sizeof(Index) + 1);
}

template <typename Index> constexpr uint64_t traceBytes(uint64_t m) {
    return m * 4 * sizeof(Index);
}

// Whether findCycles on m elements of Index walks one start at a time.
template <typename Index> constexpr bool colourOneAtATime(uint64_t m) {
    return colourBytes<Index>(m) <= COLOUR_ONE_AT_A_TIME_BYTES;
}

// Whether traceAll on m elements of Index walks one start at a time.
template <typename Index> constexpr bool traceOneAtATime(uint64_t m) {
    return traceBytes<Index>(m) <= TRACE_ONE_AT_A_TIME_BYTES;
}

// The textbook colouring: from each unseen start, mark the path ON_PATH
// until it ends, meets a done element, or meets itself, which closes a
// cycle, found on the path when it fits the buffer; then mark the path DONE.
// colours must hold UNSEEN for every element. With hand_off, returns the
// start whose path grew past LONG_PATH, with its elements UNSEEN again (held
// in path, without calling map again) and every element DONE or UNSEEN, as
// colourInFlight takes them; otherwise m.
//
// Without hand_off, a path that outgrows the buffer is marked with a colour
// of its own from there on (its first LONG_PATH elements recoloured from the
// buffer), and is done once its walk ends: the colours below the next one
// to be given out are done. So it is walked once, not walked again to be
// marked, and its cycle, when it closes on its start (on a permutation,
// always), is known from the walk: every element below start is seen by
// then, so start is the least. A cycle entered elsewhere is gone round once.
// When the colours run out, one pass turns them all to DONE.
template <typename Map, typename Sink>
uint64_t colourEachStart(const Map& map, uint8_t* colours, uint64_t m, Sink& found, bool hand_off) {
    constexpr uint8_t ON_PATH = 1;
    constexpr uint8_t FIRST_LONG = 2;
    uint8_t next_long = FIRST_LONG;
    uint64_t path[LONG_PATH];
    for (uint64_t start = 0; start < m; start++) {
        if (colours[start] != UNSEEN) {
            continue;
        }
        uint64_t x = start;
        uint64_t length = 0;
        uint64_t walked = 0;
        uint8_t mark = ON_PATH;
        while (x != m && colours[x] == UNSEEN) {
            if (CYCLE_RARELY(length == LONG_PATH)) {
                if (hand_off) {
                    for (uint64_t i = 0; i < LONG_PATH; i++) {
                        colours[path[i]] = UNSEEN;
                    }
                    found.flush();
                    return start;
                }
                if (mark == ON_PATH) {
                    if (next_long == DEFERRED) {
                        for (uint64_t i = 0; i < m; i++) {
                            colours[i] = colours[i] >= FIRST_LONG ? DONE : colours[i];
                        }
                        next_long = FIRST_LONG;
                    }
                    mark = next_long;
                    for (uint64_t i = 0; i < LONG_PATH; i++) {
                        colours[path[i]] = mark;
                    }
                }
                walked += length;
                length = 0;
            }
            path[length++] = x;
            colours[x] = mark;
            x = map(x);
        }
        walked += length;
        if (mark != ON_PATH) {
            if (x != m && colours[x] == mark) {
                uint64_t size = walked;
                uint64_t least = start;
                if (x != start) {
                    size = 0;
                    least = x;
                    uint64_t around = x;
                    do {
                        least = around < least ? around : least;
                        size++;
                        around = map(around);
                    } while (around != x);
                }
                found.add(least, size);
            }
            next_long++;
            continue;
        }
        if (x != m && colours[x] == ON_PATH) {
            // A cycle from x, found on the path (the textbook's way, loads
            // that do not wait on each other).
            uint64_t least = x;
            uint64_t first = length;
            do {
                first--;
                least = path[first] < least ? path[first] : least;
                colours[path[first]] = DONE;
            } while (path[first] != x);
            found.add(least, length - first);
            length = first;
        }
        for (uint64_t i = 0; i < length; i++) {
            colours[path[i]] = DONE;
        }
    }
    found.flush();
    return m;
}

// The textbook full answer: from each start not yet known, push the path on
// stack until it ends, meets a known element, or meets itself, which closes
// a cycle whose elements take its leader as end; then give every element on
// the stack its end and distance on the way back. Each element's successor
// is the one above it on the stack, so the way back carries the end and the
// distance along and reads nothing: one read of next an element. While it
// works, distance holds UNKNOWN for every element not yet reached and
// ON_STACK for those on the stack; no distance reaches either, as m is
// small here (traceOneAtATime). With hand_off, gives up (false) once a
// path grows past LONG_PATH, the outputs then unspecified; true once done,
// with totals filled in.
template <typename Index, typename Next>
bool traceEachStart(const Next& next, uint64_t m, Index* end, Index* distance, Index* stack,
                    bool hand_off, MapSummary& totals) {
    constexpr Index UNKNOWN = std::numeric_limits<Index>::max();
    constexpr Index ON_STACK = UNKNOWN - 1;
    const uint64_t longest_path = hand_off ? LONG_PATH : m;
    std::fill(distance, distance + m, UNKNOWN);
    totals = MapSummary{0, 0, 0, 0};
    for (uint64_t start = 0; start < m; start++) {
        if (distance[start] != UNKNOWN) {
            continue;
        }
        uint64_t depth = 0;
        uint64_t x = start;
        while (x != m && distance[x] == UNKNOWN) {
            if (CYCLE_RARELY(depth == longest_path)) {
                return false;
            }
            distance[x] = ON_STACK;
            stack[depth++] = static_cast<Index>(x);
            x = elementOf(next[x], m);
        }
        Index carried_end;
        Index carried_distance;
        if (x == m) {
            carried_end = stack[--depth];
            carried_distance = Index{0};
            end[static_cast<uint64_t>(carried_end)] = carried_end;
            distance[static_cast<uint64_t>(carried_end)] = Index{0};
            totals.roots++;
        } else if (distance[x] == ON_STACK) {
            uint64_t left = depth;
            Index least = static_cast<Index>(x);
            do {
                left--;
                least = std::min(least, stack[left]);
            } while (static_cast<uint64_t>(stack[left]) != x);
            for (uint64_t i = left; i < depth; i++) {
                end[static_cast<uint64_t>(stack[i])] = least;
                distance[static_cast<uint64_t>(stack[i])] = Index{0};
            }
            totals.cycles++;
            totals.on_cycles += depth - left;
            depth = left;
            carried_end = least;
            carried_distance = Index{0};
        } else {
            carried_end = end[x];
            carried_distance = distance[x];
        }
        for (uint64_t i = depth; i-- > 0;) {
            carried_distance++;
            end[static_cast<uint64_t>(stack[i])] = carried_end;
            distance[static_cast<uint64_t>(stack[i])] = carried_distance;
        }
        totals.longest = std::max(totals.longest, static_cast<uint64_t>(carried_distance));
    }
    return true;
}

} // namespace detail
} // namespace cycle

#endif
