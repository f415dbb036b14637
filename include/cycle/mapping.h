// The cycles of a whole mapping i -> next[i] on [0, m): a parent array, a
// permutation, a successor table. A path ends at an entry outside [0, m)
// (negative, or m and above: a root) or falls into a cycle, whose leader is
// its smallest element. With threads above 1 each thread takes a block of
// at least 2^20 elements; 0 counts as 1, and every result is the same for
// every count. docs/library.md says how each function works.
//
//     std::vector<int32_t> parent = ...;            // -1 at a root
//     bool loops = !cycle::findCycles(parent.data(), parent.size()).empty();
#ifndef CYCLE_MAPPING_H
#define CYCLE_MAPPING_H

#include "detail/colouring.h"
#include "detail/mapping_reads.h"
#include "detail/threads.h"
#include "detail/trace.h"
#include "results.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

namespace cycle {

// Every cycle of i -> next[i] on [0, m).
//   Requires: next[i] for every i < m, read by every thread at once; Index an
//            integer type other than bool (else a compile-time error).
//   Returns: every cycle once, by increasing leader; empty for m = 0 and for
//            a forest.
//   Calls:   reads each entry at most twice (twice more for elements a
//            thread left to the single-threaded round), and 1,024 more where
//            a small mapping's path grows long.
//   Memory:  a byte an element, under 12 KiB a thread, and the result:
//            sizeof(Loop<Index>) bytes a cycle, grown as a std::vector is
//            (its capacity up to twice that, three times while it grows).
//   Threads: while the table and a byte an element fit in 4 MiB, the walk
//            one start at a time, on the calling thread; past that, and
//            from where a long path hands over, the walks in flight on
//            min(threads, m / 2^20, 7) threads, at least 1 (0 counts as 1).
//            A thread whose walks meet another's or grow long leaves its
//            block to one thread at once.
//   Throws:  std::invalid_argument if m - 1 is above Index's largest value
//            (an element could not be named as a leader); std::bad_alloc if
//            memory cannot be had.
template <typename Index>
std::vector<Loop<Index>> findCycles(const Index* next, size_t m, unsigned threads = 1) {
    detail::checkIndexType<Index>();
    detail::checkNamed<Index>("cycle::findCycles", m);
    detail::TableMap<Index> map{next, m};
    return detail::colourAll<Index>(map, m, threads);
}

// Every cycle of i -> f(i) on [0, m), f any callable taking an Index and
// returning an integer of any type; a result outside [0, m), judged in its
// own type before it becomes an Index, ends the path, and m <= 0 is empty.
//   Requires: f's result an integer (else a compile-time error); Index an
//            integer type other than bool.
//   Returns: as findCycles.
//   Calls:   at most 2 m calls of f on one thread, and 1,024 more where a
//            small mapping's path grows long; at most 4 m on several.
//   Memory:  as findCycles'.
//   Threads: as findCycles'; f is called from all of them at once.
//   Throws:  std::bad_alloc, and whatever f throws.
template <typename Index, typename F>
std::vector<Loop<Index>> findCyclesOf(Index m, F f, unsigned threads = 1) {
    detail::checkIndexType<Index>();
    using Result = std::decay_t<std::invoke_result_t<F&, Index>>;
    static_assert(std::is_integral<Result>::value,
                  "cycle::findCyclesOf: f must return an integer, the successor of its argument");
    if constexpr (std::is_integral<Result>::value) {
        const uint64_t count = m > Index{0} ? static_cast<uint64_t>(m) : 0;
        detail::CallMap<Index, F> map{f, count};
        return detail::colourAll<Index>(map, count, threads);
    } else {
        return {};
    }
}

// Every element's end and distance.
//   Requires: next[i] for every i < m; Index an integer type other than
//            bool.
//   Returns: for every i < m, end[i], the root that i's path reaches or the
//            leader of the cycle it falls into, and distance[i], the steps
//            from i to that root or to the first element of the cycle on its
//            path (0 for a root and on a cycle); either output may be
//            nullptr. The summary counts the cycles, the elements on them,
//            the roots and the largest distance.
//   Calls:   reads each entry of next once while the table, both outputs
//            and the queue (4 Index an element) fit in 2 MiB, walked one
//            start at a time. Past 4 MiB, in passes whose reads are known
//            ahead: at most 3 reads of each entry off the cycles (to count
//            the in-degrees, to peel, on the way back) and 2 on them (to
//            count, to label). From 2 to 4 MiB, the walk one start at a
//            time, and, once a path passes 1,024 elements, the passes from
//            the start: at most 4 reads of an entry. The passes also ask
//            for lines ahead of their reads (a prefetch, no read).
//   Memory:  one Index an element, and the outputs' own size for each one
//            left out.
//   Threads: t = min(threads, m / 2^20), at least 1 (0 counts as 1): the
//            in-degrees and the labels of the cycles on t threads, the
//            cycles' segments on at most t (32 segments at least a thread);
//            the walk one start at a time, the peel and the pass back on
//            the calling thread.
//   Throws:  std::invalid_argument if m is above Index's largest value (an
//            in-degree could not be counted); std::bad_alloc if memory
//            cannot be had. The outputs' contents are then unspecified.
template <typename Index>
MapSummary traceAll(const Index* next, size_t m, detail::Same<Index>* end,
                    detail::Same<Index>* distance, unsigned threads = 1) {
    detail::checkIndexType<Index>();
    detail::checkCounted<Index>("cycle::traceAll", m);
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
    // Scratch every path writes before it reads: left uninitialised.
    const std::unique_ptr<Index[]> queue(new Index[m]);
    threads = detail::threadsFor(threads, m, detail::ELEMENTS_PER_THREAD);
    return detail::traceTable(next, m, end, distance, queue.get(), threads);
}

} // namespace cycle

#endif
