// The cycles of a whole mapping i -> next[i] on [0, m): a parent array, a
// permutation, a successor table, a state machine's transitions. Every
// element's path either ends, at an element whose entry lies outside [0, m)
// (negative, or m and above: a root), or falls into a cycle; an element that
// points to itself is a cycle of length 1.
//
//     std::vector<int32_t> parent = ...;            // -1 at a root
//     bool loops = !cycle::findCycles(parent.data(), parent.size()).empty();
#ifndef CYCLE_MAPPING_H
#define CYCLE_MAPPING_H

#include "detail/claims.h"
#include "detail/elements.h"
#include "detail/peel.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace cycle {

// One cycle of a mapping: its smallest element and its length.
template <typename Index> struct Loop {
    Index leader;
    uint64_t length;
};

// What traceAll found.
struct MapSummary {
    uint64_t cycles;    // cycles in the mapping
    uint64_t on_cycles; // elements on a cycle
    uint64_t roots;     // elements whose entry ends their path
    uint64_t longest;   // the largest distance
};

namespace detail {

// Index itself, in a form that takes no part in deducing it, so that an
// output given as nullptr takes the table's type.
template <typename T> struct SameType { using type = T; };
template <typename T> using Same = typename SameType<T>::type;

// Each thread colours a block of at least this many starts, so that a
// mapping of fewer than twice as many is coloured on one thread.
constexpr uint64_t ELEMENTS_PER_THREAD = uint64_t{1} << 17;

// Cycles a colouring thread holds before it adds them to the result.
constexpr int SINK_BUFFER = 128;

// Where a colouring puts the cycles it finds: straight into the result when
// it colours alone; through a buffer, added to the result under lock, when
// several threads colour at once.
template <typename Index> struct LoopSink {
    std::vector<Loop<Index>>& loops;
    std::mutex* lock; // nullptr when alone
    Loop<Index> buffer[SINK_BUFFER];
    int held;

    void add(uint64_t leader, uint64_t length) {
        if (lock == nullptr) {
            loops.push_back({static_cast<Index>(leader), length});
            return;
        }
        buffer[held++] = {static_cast<Index>(leader), length};
        if (held == SINK_BUFFER) {
            flush();
        }
    }
    void flush() {
        if (held > 0) {
            std::lock_guard<std::mutex> guard(*lock);
            loops.insert(loops.end(), buffer, buffer + held);
            held = 0;
        }
    }
};

// The cycles of map on [0, m), by increasing leader: the colouring of
// claims.h, each thread taking a block of starts with its own ids, then one
// thread for whatever was deferred.
template <typename Index, typename Map>
std::vector<Loop<Index>> colourAll(const Map& map, uint64_t m, unsigned threads) {
    std::vector<uint8_t> marks(m, UNSEEN);
    threads = threadsFor(threads, m, ELEMENTS_PER_THREAD);
    threads = threads < MOST_COLOURING_THREADS ? threads : MOST_COLOURING_THREADS;
    std::vector<Loop<Index>> loops;
    if (threads > 1) {
        std::mutex lock;
        const int ids = WALK_IDS / static_cast<int>(threads);
        onThreads(threads, [&](unsigned t) {
            LoopSink<Index> sink{loops, &lock, {}, 0};
            colourBlock<true>(map, marks.data(), m, sink, static_cast<uint8_t>(1 + t * ids),
                              static_cast<uint8_t>((t + 1) * ids), false, m * t / threads,
                              m * (t + 1) / threads);
        });
    }
    LoopSink<Index> alone{loops, nullptr, {}, 0};
    colourBlock<false>(map, marks.data(), m, alone, 1, WALK_IDS, threads > 1, 0, m);
    std::sort(loops.begin(), loops.end(),
              [](const Loop<Index>& a, const Loop<Index>& b) { return a.leader < b.leader; });
    return loops;
}

} // namespace detail

// Every cycle of i -> next[i] on [0, m), once each, by increasing leader.
// Requires next[i] for every i < m, and threads copies of the walk may read
// it at once; 0 threads counts as 1, and the result is the same for every
// count. Threads: at most min(threads, m / 2^17, 7): each takes a block of at
// least 2^17 starts, and at least 32 of the 253 walk ids a byte can name, so
// that 32 walks are in flight on each. Walks of two threads that meet leave
// their elements to one thread at the end, so more threads help where paths
// stay apart (forests) and were measured slower where they join (random
// mappings, permutations, chains). Reads each entry twice, once to claim the
// element and once to mark it done (twice more for elements deferred when
// two threads' walks met). Extra memory: one byte an element, and under
// 12 KiB a thread (its walks' records, and 128 cycles held before they join
// the result). The result holds sizeof(Loop<Index>) bytes a cycle (16 for a
// 32-bit Index); it grows as a std::vector does, so its capacity may reach
// twice that, and three times for a moment while it grows. Throws
// std::bad_alloc if memory cannot be had.
template <typename Index>
std::vector<Loop<Index>> findCycles(const Index* next, size_t m, unsigned threads = 1) {
    detail::TableMap<Index> map{next, m};
    return detail::colourAll<Index>(map, m, threads);
}

// The same for i -> f(i): f is any callable taking and returning Index; a
// result outside [0, m) ends the path. With threads above 1, f is called
// from up to 7 threads at once, as findCycles says. Calls of f: 2 m on one
// thread, once to claim each element and once to mark it done; at most 4 m
// on several.
// Memory and exceptions as findCycles', and whatever f throws.
template <typename Index, typename F>
std::vector<Loop<Index>> findCyclesOf(Index m, F f, unsigned threads = 1) {
    const uint64_t count = m > Index{0} ? static_cast<uint64_t>(m) : 0;
    detail::CallMap<Index, F> map{f, count};
    return detail::colourAll<Index>(map, count, threads);
}

// For every i < m: end[i] is the root that i's path reaches, or the leader of
// the cycle it falls into; distance[i] is the number of steps from i to that
// root, or to the first element of the cycle on its path (0 for a root and on
// a cycle). Either output may be nullptr. Returns the number of cycles, of
// elements on them, of roots, and the largest distance.
// Requires next[i] for every i < m, and m no larger than Index's largest
// value (so that every in-degree fits an Index); 0 threads counts as 1, and
// the outputs are the same for every count. Threads: at most min(threads,
// m / 2^17) (1 below 2^18 elements), each taking a block of at least 2^17
// elements in the passes that take threads (the in-degrees, the cycles'
// segments, 32 at least a thread, and their labels); the peel and the pass
// back take one. Reads each entry of next about four times, in orders known
// ahead, and each element on a cycle once more.
// Extra memory: one Index an element, and the outputs' own size for each
// one left out. Throws std::bad_alloc if that cannot be had; the outputs'
// contents are then unspecified.
template <typename Index>
MapSummary traceAll(const Index* next, size_t m, detail::Same<Index>* end,
                    detail::Same<Index>* distance, unsigned threads = 1) {
    std::vector<Index> own_end;
    std::vector<Index> own_distance;
    if (end == nullptr) {
        own_end.resize(m);
        end = own_end.data();
    }
    if (distance == nullptr) {
        own_distance.resize(m);
        distance = own_distance.data();
    }
    std::vector<Index> queue(m);
    threads = detail::threadsFor(threads, m, detail::ELEMENTS_PER_THREAD);
    const detail::TraceTotals totals =
        detail::traceTable(next, m, end, distance, queue.data(), threads);
    return {totals.cycles, totals.on_cycles, totals.roots, totals.longest};
}

} // namespace cycle

#endif
