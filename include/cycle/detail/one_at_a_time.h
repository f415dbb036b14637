// The mapping functions one start at a time, as the textbook has them, with
// no bookkeeping beyond the outputs. A step costs a few cycles while the
// arrays are near the core; the walks in flight of colouring.h and
// trace.h, built to overlap misses, cost more than they save there, and
// win only on long paths, which are chains of dependent misses. So a
// mapping is walked one start at a time up to a size, and handed to the
// walks in flight when a path grows long once the arrays are past the L1.
// As measured on AMD Zen 5 (L1 48 KiB, L2 1 MiB a core), for 32-bit
// tables: findCycles one start at a time 2x to 3x faster than the walks in
// flight at 2^10 to 2^14 elements on random mappings and forests, still
// 1.1x to 1.2x at 2^19, even at 2^20, behind from 2^21; on permutations
// and chains the walks in flight 1.3x faster than the textbook from 2^14,
// the arrays past the L1, and 1.5x slower below. traceAll one start at a
// time ahead up to 2^16 on every shape but permutations, and on forests
// up to 2^19.
//
// Costs: findCycles reads each entry at most twice (once to walk it, and
// once more where a path outgrew its buffer, to mark it or go round its
// cycle), in one byte an element and a path of LONG_PATH elements (8 KiB)
// on the stack; a path
// that grows longer hands the rest to the walks in flight, whose two reads
// of each element come after the at most 1,024 the walk made. traceAll
// reads each entry twice (once on the way out, once on the way back), with
// the queue's Index an element as its stack: its passes lose to the
// textbook on chains and permutations as well in that range (1.2x to 1.7x
// at 2^14), so a long path does not hand over. Neither starts a thread.
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
constexpr uint64_t TRACE_ONE_AT_A_TIME_BYTES = uint64_t{2} << 20;

// The bytes past which a long path is handed to the walks in flight: about
// the L1, within which the textbook's dependent loads cost as little as the
// walks' bookkeeping (at 2^14 32-bit elements, 80 KiB, a chain measured
// 1.13x the textbook's time handed over).
constexpr uint64_t HAND_OFF_BYTES = uint64_t{128} << 10;

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
// until it ends, meets a DONE element, or meets itself, which closes a
// cycle, gone round once to count it and find its leader; then mark the
// path DONE. colours must hold UNSEEN for every element. With hand_off,
// returns the start whose path grew past LONG_PATH, with its elements UNSEEN
// again (held in path, without calling map again) and every element DONE or
// UNSEEN, as colourInFlight takes them; otherwise m.
template <typename Map, typename Sink>
uint64_t colourEachStart(const Map& map, uint8_t* colours, uint64_t m, Sink& found, bool hand_off) {
    constexpr uint8_t ON_PATH = 1;
    uint64_t path[LONG_PATH];
    for (uint64_t start = 0; start < m; start++) {
        if (colours[start] != UNSEEN) {
            continue;
        }
        uint64_t x = start;
        uint64_t length = 0;
        bool long_path = false;
        while (x != m && colours[x] == UNSEEN) {
            if (CYCLE_RARELY(length == LONG_PATH)) {
                if (hand_off) {
                    for (uint64_t i = 0; i < LONG_PATH; i++) {
                        colours[path[i]] = UNSEEN;
                    }
                    found.flush();
                    return start;
                }
                long_path = true;
                length = 0;
            }
            path[length++] = x;
            colours[x] = ON_PATH;
            x = map(x);
        }
        if (x != m && colours[x] == ON_PATH) {
            // A cycle from x: found on the path when it fits the buffer (the
            // textbook's way, loads that do not wait on each other), else
            // gone round once.
            uint64_t size = 0;
            uint64_t least = x;
            if (!long_path) {
                uint64_t first = length;
                do {
                    first--;
                    least = path[first] < least ? path[first] : least;
                    colours[path[first]] = DONE;
                } while (path[first] != x);
                size = length - first;
                length = first;
            } else {
                uint64_t around = x;
                do {
                    colours[around] = DONE;
                    least = around < least ? around : least;
                    size++;
                    around = map(around);
                } while (around != x);
            }
            found.add(least, size);
        }
        if (long_path) {
            // Past the buffer: the path is marked on a second walk, which
            // stops at the cycle's elements, already DONE.
            for (uint64_t y = start; y != m && colours[y] == ON_PATH; y = map(y)) {
                colours[y] = DONE;
            }
        } else {
            for (uint64_t i = 0; i < length; i++) {
                colours[path[i]] = DONE;
            }
        }
    }
    found.flush();
    return m;
}

// The textbook full answer: from each start not yet known, push the path on
// stack until it ends, meets a known element, or meets itself, which closes
// a cycle whose elements take its leader as end; then give every element on
// the stack its successor's end and distance plus one on the way back.
// While it works, distance holds UNKNOWN for every element not yet known,
// and end the stack position of each element on the stack, UNKNOWN for the
// others not yet reached.
template <typename Index>
MapSummary traceEachStart(const Index* next, uint64_t m, Index* end, Index* distance,
                          Index* stack) {
    constexpr Index UNKNOWN = std::numeric_limits<Index>::max();
    std::fill(end, end + m, UNKNOWN);
    std::fill(distance, distance + m, UNKNOWN);
    MapSummary totals{0, 0, 0, 0};
    for (uint64_t start = 0; start < m; start++) {
        if (distance[start] != UNKNOWN) {
            continue;
        }
        uint64_t depth = 0;
        uint64_t x = start;
        while (x != m && distance[x] == UNKNOWN && end[x] == UNKNOWN) {
            end[x] = static_cast<Index>(depth);
            stack[depth++] = static_cast<Index>(x);
            x = elementOf(next[x], m);
        }
        uint64_t left = depth;
        if (x != m && distance[x] == UNKNOWN) {
            left = static_cast<uint64_t>(end[x]);
            Index least = stack[left];
            for (uint64_t i = left; i < depth; i++) {
                least = std::min(least, stack[i]);
            }
            for (uint64_t i = left; i < depth; i++) {
                end[static_cast<uint64_t>(stack[i])] = least;
                distance[static_cast<uint64_t>(stack[i])] = Index{0};
            }
            totals.cycles++;
            totals.on_cycles += depth - left;
        }
        while (left > 0) {
            const uint64_t y = static_cast<uint64_t>(stack[--left]);
            takeSuccessors(y, elementOf(next[y], m), m, end, distance, totals);
        }
    }
    return totals;
}

} // namespace detail
} // namespace cycle

#endif
