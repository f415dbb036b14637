// The mapping functions on small mappings: one walk at a time, with no
// bookkeeping beyond the outputs, as the textbook has it. While the table
// and the function's own arrays fit in a core's L2 a step costs a few
// cycles, and the walks in flight of colouring.h and trace.h, built to
// overlap misses that no longer happen, cost more than they save: measured
// 2x to 3x the textbook walk at 2^10 elements. Past the L2 the walks in
// flight win, by up to 6x.
//
// Costs: findCycles reads each entry at most twice (once to walk it, once
// to mark it done or to go round its cycle), in one byte an element;
// traceAll reads each entry twice (once on the way out, once on the way
// back), with the queue's Index an element as its stack. Neither starts a
// thread.
#ifndef CYCLE_DETAIL_ONE_AT_A_TIME_H
#define CYCLE_DETAIL_ONE_AT_A_TIME_H

#include "../results.h"
#include "colour_state.h"
#include "mapping_reads.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace cycle {
namespace detail {

// The working set, in bytes, up to which a mapping is walked one start at a
// time: a core's L2 on the machines measured (1 MiB on AMD Zen 5, 2 MiB on
// the Intel Xeon), below which the walks in flight stop paying.
constexpr uint64_t ONE_AT_A_TIME_BYTES = uint64_t{1} << 20;

// Whether findCycles on m elements of Index walks one start at a time: the
// table and one colour byte an element within ONE_AT_A_TIME_BYTES.
template <typename Index> constexpr bool colourOneAtATime(uint64_t m) {
    return m <= ONE_AT_A_TIME_BYTES / (sizeof(Index) + 1);
}

// Whether traceAll on m elements of Index walks one start at a time: the
// table, both outputs and the stack within ONE_AT_A_TIME_BYTES.
template <typename Index> constexpr bool traceOneAtATime(uint64_t m) {
    return m <= ONE_AT_A_TIME_BYTES / (4 * sizeof(Index));
}

// The textbook colouring: from each unseen start, mark the path ON_PATH
// until it ends, meets a DONE element, or meets itself, which closes a
// cycle, gone round once to count it and find its leader; then mark the
// path DONE. colours must hold UNSEEN for every element.
template <typename Map, typename Sink>
void colourEachStart(const Map& map, uint8_t* colours, uint64_t m, Sink& found) {
    constexpr uint8_t ON_PATH = 1;
    for (uint64_t start = 0; start < m; start++) {
        if (colours[start] != UNSEEN) {
            continue;
        }
        uint64_t x = start;
        while (x != m && colours[x] == UNSEEN) {
            colours[x] = ON_PATH;
            x = map(x);
        }
        if (x != m && colours[x] == ON_PATH) {
            uint64_t length = 0;
            uint64_t least = x;
            uint64_t around = x;
            do {
                colours[around] = DONE;
                least = around < least ? around : least;
                length++;
                around = map(around);
            } while (around != x);
            found.add(least, length);
        }
        for (uint64_t y = start; y != m && colours[y] == ON_PATH; y = map(y)) {
            colours[y] = DONE;
        }
    }
    found.flush();
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
            const uint64_t after = elementOf(next[y], m);
            if (after == m) {
                end[y] = static_cast<Index>(y);
                distance[y] = Index{0};
                totals.roots++;
                continue;
            }
            end[y] = end[after];
            distance[y] = static_cast<Index>(distance[after] + 1);
            totals.longest = std::max(totals.longest, static_cast<uint64_t>(distance[y]));
        }
    }
    return totals;
}

} // namespace detail
} // namespace cycle

#endif
