// How the mapping functions read a mapping: elements as 64-bit positions,
// each successor read through one function that turns an entry outside
// [0, m) into the end of a path, from a table (whose entries can be
// prefetched) or from a caller's callable.
#ifndef CYCLE_DETAIL_MAPPING_READS_H
#define CYCLE_DETAIL_MAPPING_READS_H

#include "../results.h"
#include "config.h"
#include "messages.h"

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace cycle {
namespace detail {

// The element value names, or m (no element) for any entry outside [0, m):
// negative, or m and above. value is judged in its own type, whatever the
// mapping's Index.
template <typename Value> uint64_t elementOf(Value value, uint64_t m) {
    static_assert(std::is_integral<Value>::value, "a successor is an integer");
    if constexpr (std::is_signed<Value>::value) {
        if (value < 0) {
            return m;
        }
    }
    const uint64_t element = static_cast<uint64_t>(value);
    return element < m ? element : m;
}

// Asks for the line of next's entry for element ahead of its read; a
// prefetch, not a read of the entry.
template <typename Index> void prefetchEntry(const Index* next, uint64_t element) {
    prefetchLine(next + element);
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

// What the mapping functions ask of their Index, checked at compile time so
// that a caller's mistake reads as one line.
template <typename Index> constexpr void checkIndexType() {
    static_assert(std::is_integral<Index>::value && !std::is_same<Index, bool>::value,
                  "cycle: a mapping's index type must be an integer type other than bool");
}

// Throws std::invalid_argument unless an Index can name every element of
// [0, m) (findCycles: every leader is an element).
template <typename Index> void checkNamed(const char* who, uint64_t m) {
    if (!namesAll<Index>(m)) {
        throw std::invalid_argument(unnamedText<Index>(who, m, "elements", "index"));
    }
}

// Throws std::invalid_argument unless an Index can hold m itself (traceAll:
// an element's in-degree reaches m where every entry names it).
template <typename Index> void checkCounted(const char* who, uint64_t m) {
    using Largest = unsigned long long;
    constexpr Largest most = static_cast<Largest>(std::numeric_limits<Index>::max());
    if (static_cast<Largest>(m) > most) {
        throw std::invalid_argument(std::string(who) + ": " + std::to_string(m) +
                                    " elements are more than the index type counts, whose "
                                    "largest value is " +
                                    integerText(std::numeric_limits<Index>::max()) +
                                    ": an in-degree may reach the element count");
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

// i -> f(i) for a caller's callable: nothing to prefetch. f's result is
// judged in its own type, so that a result outside [0, m) ends the path
// even where Index could not hold it.
template <typename Index, typename F> struct CallMap {
    F& f;
    uint64_t m;

    uint64_t operator()(uint64_t element) const {
        return elementOf(f(static_cast<Index>(element)), m);
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
