// The walk behind traceAll: every element's end and distance, in passes that
// each read the table in an order known ahead, so that every miss can be
// asked for early.
//
// 1. In-degrees, counted into end.
// 2. The in-degree peel (Kahn's): a queue of the elements nobody points to;
//    taking one off lowers its successor's count, and a successor left at 0
//    joins the queue. What is never queued is on a cycle, and the queue
//    holds every other element before its successor.
// 3. The cycles, without walking each one alone: markers, about one cycle
//    element in 64, chosen by a hash of the element, cut the cycles into
//    segments, all walked at once; a segment ends at the next marker. The
//    markers' successors form rings, one a cycle, small enough to resolve
//    directly; cycles with no marker are walked on their own. A ring's
//    smallest element is its cycle's leader, which every element on it takes
//    as its end.
// 4. The queue backwards: each element after its successor, so its end is
//    its successor's and its distance one more.
// While it works, distance holds each element's state: 0 peeled, 1 on a
// cycle and not yet reached, 2 reached from a marker, 3 + k marker k; the
// queue's free tail holds the markers' records.
#ifndef CYCLE_DETAIL_TRACE_H
#define CYCLE_DETAIL_TRACE_H

#include "../results.h"
#include "config.h"
#include "mapping_reads.h"
#include "markers.h"
#include "one_at_a_time.h"
#include "threads.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace cycle {
namespace detail {

// How many entries ahead each pass asks for the lines it will need. A pass
// reads each entry of next once: what it read ahead waits in a ring of
// AHEAD_RING successors until its turn comes.
constexpr uint64_t PEEL_AHEAD = 16;
constexpr uint64_t AHEAD_RING = 32;
static_assert(AHEAD_RING > PEEL_AHEAD + 1 && (AHEAD_RING & (AHEAD_RING - 1)) == 0,
              "the ring holds every successor read ahead");

// Counts every element's in-degree into count, threads of them each taking a
// block of the table (adding atomically when there are several). Reads each
// entry once.
template <typename Index, typename Next>
void countInDegrees(const Next& next, uint64_t m, Index* count, unsigned threads) {
    onThreads(threads, [&](unsigned t) {
        const uint64_t from = m * t / threads;
        const uint64_t to = m * (t + 1) / threads;
        std::fill(count + from, count + to, Index{0});
    });
    onThreads(threads, [&](unsigned t) {
        const uint64_t from = m * t / threads;
        const uint64_t to = m * (t + 1) / threads;
        uint64_t ahead[AHEAD_RING];
        uint64_t read = from;
        for (uint64_t x = from; x < to; x++) {
            for (; read < to && read <= x + PEEL_AHEAD; read++) {
                const uint64_t later = elementOf(next[read], m);
                ahead[read % AHEAD_RING] = later;
                if (later != m) {
                    prefetchLine(count + later);
                }
            }
            const uint64_t y = ahead[x % AHEAD_RING];
            if (y == m) {
                continue;
            }
            if (threads > 1) {
                atomicAdd(count + y, Index{1});
            } else {
                count[y]++;
            }
        }
    });
}

// The peel: fills queue with every element not on a cycle, each before its
// successor, and returns how many; count ends at 0 for those, above 0 on
// cycles. Reads the entry of each element queued once; the queue grows as
// it is read, so the ring is filled up to where the queue ends for now.
template <typename Index, typename Next>
uint64_t peel(const Next& next, uint64_t m, Index* count, Index* queue) {
    uint64_t queued = 0;
    for (uint64_t x = 0; x < m; x++) {
        if (count[x] == 0) {
            queue[queued++] = static_cast<Index>(x);
        }
    }
    uint64_t ahead[AHEAD_RING];
    uint64_t read = 0;
    for (uint64_t j = 0; j < queued; j++) {
        if (j + 2 * PEEL_AHEAD < queued) {
            prefetchEntry(next, static_cast<uint64_t>(queue[j + 2 * PEEL_AHEAD]));
        }
        for (; read < queued && read <= j + PEEL_AHEAD; read++) {
            const uint64_t later = elementOf(next[static_cast<uint64_t>(queue[read])], m);
            ahead[read % AHEAD_RING] = later;
            if (later != m) {
                prefetchLine(count + later);
            }
        }
        const uint64_t y = ahead[j % AHEAD_RING];
        if (y != m && --count[y] == 0) {
            queue[queued++] = static_cast<Index>(y);
        }
    }
    return queued;
}

// A marker's record in the queue's tail: the marker, the marker its
// segment runs into (DONE_RING once its ring is resolved), and the least
// element of its segment (then of its ring).
template <typename Index> struct MarkerRecords {
    Index* base;
    Index* start(uint64_t k) const {
        return base + 3 * k;
    }
    Index* following(uint64_t k) const {
        return base + 3 * k + 1;
    }
    Index* least(uint64_t k) const {
        return base + 3 * k + 2;
    }
};

// Walks the segments of markers [from, to) at once: each element reached
// takes the state 2 and its marker as end, and each record its following
// marker and least element.
template <typename Index, typename Next>
void walkSegments(const Next& next, uint64_t m, Index* end, Index* state,
                  const MarkerRecords<Index>& records, uint64_t from, uint64_t to) {
    uint64_t marker[SEGMENT_CURSORS];
    uint64_t at[SEGMENT_CURSORS];
    uint64_t least[SEGMENT_CURSORS];
    int active = 0;
    uint64_t taken = from;
    for (;;) {
        while (active < SEGMENT_CURSORS && taken < to) {
            const uint64_t start = static_cast<uint64_t>(*records.start(taken));
            marker[active] = taken++;
            least[active] = start;
            at[active] = elementOf(next[start], m);
            prefetchEntry(next, at[active]);
            prefetchLine(state + at[active]);
            active++;
        }
        if (active == 0) {
            return;
        }
        for (int i = 0; i < active;) {
            const uint64_t x = at[i];
            const uint64_t seen = static_cast<uint64_t>(state[x]);
            if (seen >= 3) {
                *records.following(marker[i]) = static_cast<Index>(seen - 3);
                *records.least(marker[i]) = static_cast<Index>(least[i]);
                active--;
                marker[i] = marker[active];
                at[i] = at[active];
                least[i] = least[active];
                continue;
            }
            state[x] = Index{2};
            end[x] = *records.start(marker[i]);
            least[i] = x < least[i] ? x : least[i];
            at[i] = elementOf(next[x], m);
            prefetchEntry(next, at[i]);
            prefetchLine(state + at[i]);
            i++;
        }
    }
}

// Gives every element on a cycle its leader as end and 0 as distance (the
// elements not queued: count above 0), and returns the number of cycles.
template <typename Index, typename Next>
uint64_t labelCycles(const Next& next, uint64_t m, Index* end, Index* distance, Index* queue,
                     uint64_t queued, unsigned threads) {
    const uint64_t on_cycles = m - queued;
    const uint64_t most_markers = std::min<uint64_t>(
        on_cycles / 3, static_cast<uint64_t>(std::numeric_limits<Index>::max()) - 3);
    const MarkerRecords<Index> records{queue + queued};
    uint64_t markers = 0;
    for (uint64_t x = 0; x < m; x++) {
        if (end[x] == 0) {
            distance[x] = Index{0};
        } else if (markers < most_markers && isMarker(x)) {
            *records.start(markers) = static_cast<Index>(x);
            distance[x] = static_cast<Index>(3 + markers++);
        } else {
            distance[x] = Index{1};
        }
    }
    const unsigned walkers = threadsFor(threads, markers, SEGMENT_CURSORS);
    onThreads(walkers, [&](unsigned t) {
        walkSegments(next, m, end, distance, records, markers * t / walkers,
                     markers * (t + 1) / walkers);
    });

    uint64_t cycles = 0;
    const Index done_ring = std::numeric_limits<Index>::max();
    for (uint64_t k = 0; k < markers; k++) {
        if (*records.following(k) == done_ring) {
            continue;
        }
        Index least = *records.least(k);
        for (uint64_t j = static_cast<uint64_t>(*records.following(k)); j != k;
             j = static_cast<uint64_t>(*records.following(j))) {
            least = std::min(least, *records.least(j));
        }
        for (uint64_t j = k; *records.following(j) != done_ring;) {
            const uint64_t after = static_cast<uint64_t>(*records.following(j));
            *records.least(j) = least;
            *records.following(j) = done_ring;
            j = after;
        }
        cycles++;
    }
    // Cycles no marker cut: scanned in order, each is first met at its least
    // element.
    for (uint64_t x = 0; x < m; x++) {
        if (distance[x] != Index{1}) {
            continue;
        }
        uint64_t y = x;
        do {
            end[y] = static_cast<Index>(x);
            distance[y] = Index{0};
            y = elementOf(next[y], m);
        } while (y != x);
        cycles++;
    }
    onThreads(threads, [&](unsigned t) {
        const uint64_t from = m * t / threads;
        const uint64_t to = m * (t + 1) / threads;
        for (uint64_t x = from; x < to; x++) {
            if (distance[x] == Index{2}) {
                const uint64_t marker = static_cast<uint64_t>(end[x]);
                end[x] = *records.least(static_cast<uint64_t>(distance[marker]) - 3);
                distance[x] = Index{0};
            }
        }
    });
    for (uint64_t k = 0; k < markers; k++) {
        const uint64_t marker = static_cast<uint64_t>(*records.start(k));
        end[marker] = *records.least(k);
        distance[marker] = Index{0};
    }
    return cycles;
}

// Every element's end and distance, given next, by the passes above; queue
// is scratch of m entries. Returns what traceAll reports. Reads each entry
// of next three times off the cycles (to count, to peel and on the way
// back) and twice on them (to count and to label).
template <typename Index, typename Next>
MapSummary tracePasses(const Next& next, uint64_t m, Index* end, Index* distance, Index* queue,
                       unsigned threads) {
    MapSummary totals{0, 0, 0, 0};
    countInDegrees(next, m, end, threads);
    const uint64_t queued = peel(next, m, end, queue);
    totals.on_cycles = m - queued;
    if (totals.on_cycles > 0) {
        totals.cycles = labelCycles(next, m, end, distance, queue, queued, threads);
    } else {
        std::fill(distance, distance + m, Index{0});
    }
    uint64_t ahead[AHEAD_RING];
    uint64_t read = queued;
    for (uint64_t j = queued; j-- > 0;) {
        if (j >= 2 * PEEL_AHEAD) {
            prefetchEntry(next, static_cast<uint64_t>(queue[j - 2 * PEEL_AHEAD]));
        }
        while (read > 0 && read + PEEL_AHEAD > j) {
            read--;
            const uint64_t earlier = static_cast<uint64_t>(queue[read]);
            const uint64_t later = elementOf(next[earlier], m);
            ahead[read % AHEAD_RING] = later;
            if (later != m) {
                prefetchLine(end + later);
                prefetchLine(distance + later);
            }
            prefetchLine(end + earlier);
            prefetchLine(distance + earlier);
        }
        const uint64_t x = static_cast<uint64_t>(queue[j]);
        takeSuccessors(x, ahead[j % AHEAD_RING], m, end, distance, totals);
    }
    return totals;
}

// Every element's end and distance, given next; queue is scratch of m
// entries. Returns what traceAll reports. One start at a time on small
// mappings (one_at_a_time.h), the passes above otherwise.
template <typename Index, typename Next>
MapSummary traceTable(const Next& next, uint64_t m, Index* end, Index* distance, Index* queue,
                      unsigned threads) {
    MapSummary totals{0, 0, 0, 0};
    if (traceOneAtATime<Index>(m) &&
        traceEachStart(next, m, end, distance, queue, traceBytes<Index>(m) > TRACE_HAND_OFF_BYTES,
                       totals)) {
        return totals;
    }
    return tracePasses(next, m, end, distance, queue, threads);
}

} // namespace detail
} // namespace cycle

#endif
