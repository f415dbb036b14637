// How the mapping functions read a mapping: elements as 64-bit positions,
// each successor read through one function that turns an entry outside
// [0, m) into the end of a path, from a table (whose entries can be
// prefetched) or from a caller's callable.
#ifndef CYCLE_DETAIL_MAPPING_READS_H
#define CYCLE_DETAIL_MAPPING_READS_H

#include "../results.h"
#include "config.h"

#include <cstdint>
#include <type_traits>

namespace cycle {
namespace detail {

// The element value names, or m (no element) for any entry outside [0, m):
// negative, or m and above.
template <typename Index> uint64_t elementOf(Index value, uint64_t m) {
    if constexpr (std::is_signed<Index>::value) {
        if (value < 0) {
            return m;
        }
    }
    const uint64_t element = static_cast<uint64_t>(value);
    return element < m ? element : m;
}

// traceAll's step back along a path: x, whose successor is after (m for
// none), takes its end and distance from the successor's, already known, or
// is a root; totals counts the roots and the longest distance.
template <typename Index>
inline void takeSuccessors(uint64_t x, uint64_t after, uint64_t m, Index* end, Index* distance,
                           MapSummary& totals) {
    if (after == m) {
        end[x] = static_cast<Index>(x);
        distance[x] = Index{0};
        totals.roots++;
        return;
    }
    end[x] = end[after];
    distance[x] = static_cast<Index>(distance[after] + 1);
    if (static_cast<uint64_t>(distance[x]) > totals.longest) {
        totals.longest = static_cast<uint64_t>(distance[x]);
    }
}

// i -> next[i] read from a table; a successor's entry can be prefetched.
template <typename Index> struct TableMap {
    const Index* next;
    uint64_t m;

    uint64_t operator()(uint64_t element) const {
        return elementOf(next[element], m);
    }
    void prefetch(uint64_t element) const {
        prefetchLine(next + element);
    }
};

// i -> f(i) for a caller's callable: nothing to prefetch.
template <typename Index, typename F> struct CallMap {
    F& f;
    uint64_t m;

    uint64_t operator()(uint64_t element) const {
        return elementOf(static_cast<Index>(f(static_cast<Index>(element))), m);
    }
    void prefetch(uint64_t) const {}
};

// Index itself, in a form that takes no part in deducing it, so that an
// output given as nullptr takes the table's type.
template <typename T> struct SameType { using type = T; };
template <typename T> using Same = typename SameType<T>::type;

} // namespace detail
} // namespace cycle

#endif
