// The library's stated worst cases, in calls of next or f, for the tests and
// the fuzz target: each number the contracts state is named here once, and
// each bound is the contract's formula over them, written once.
// contract_test checks that the headers and the guide state these numbers.
#ifndef CYCLE_TESTS_CALL_BOUNDS_H
#define CYCLE_TESTS_CALL_BOUNDS_H

#include <algorithm>
#include <cstdint>

// Lists: the hare's first stretch ends at LIST_STRETCH nodes, its slow
// cursor adds at most LIST_TRAIL calls, and a cycle of up to HARE_REACH
// nodes is caught there. findCycle locates a repeat in under
// LIST_LOCATE_GAPS gaps, a gap LIST_GAP or a LIST_GAP_SHARE-th of the calls.
constexpr int64_t LIST_STRETCH = 224;
constexpr int64_t LIST_TRAIL = 111;
constexpr int64_t HARE_REACH = 112;
constexpr int64_t LIST_GAP = 32;
constexpr int64_t LIST_GAP_SHARE = 31;
constexpr int64_t LIST_LOCATE_GAPS = 11;

// Values: the register stretch ends at VALUE_STRETCH; findPeriod locates a
// repeat in under VALUE_LOCATE_GAPS gaps, a gap VALUE_GAP or a
// VALUE_GAP_SHARE-th of the calls; findPeriodWithin rules a limit out
// WITHIN_MARGIN and a gap past it.
constexpr int64_t VALUE_STRETCH = 56;
constexpr int64_t VALUE_GAP = 8;
constexpr int64_t VALUE_GAP_SHARE = 127;
constexpr int64_t VALUE_LOCATE_GAPS = 13;
constexpr int64_t WITHIN_MARGIN = 64;

// Brent's method: 2 max(mu, lambda) + lambda.
inline int64_t brentBound(int64_t mu, int64_t lambda) {
    return 2 * std::max(mu, lambda) + lambda;
}

// hasCycle on a linear list of n nodes: n, plus the trailing cursor's calls
// over the first stretch (it starts two behind).
inline int64_t hasCycleLinearCalls(int64_t n) {
    return n <= 2 ? n : n + std::min<int64_t>((n - 3) / 2, LIST_TRAIL);
}

// hasCycle on a cycle: 3 (mu + lambda) when mu + lambda <= 112, otherwise
// max(2 max(mu, lambda), 224) + lambda + 112.
inline int64_t hasCycleBound(int64_t mu, int64_t lambda) {
    return mu + lambda <= HARE_REACH
               ? 3 * (mu + lambda)
               : std::max(2 * std::max(mu, lambda), LIST_STRETCH) + lambda + HARE_REACH;
}

// findCycle, given hasCycle's calls (sighting): 2 mu + lambda + 2 more where
// the cursors met within the first stretch; otherwise under 11 gaps (32 or
// a 31st of the calls), and 224 more when mu <= 224.
inline int64_t findCycleBound(int64_t sighting, int64_t mu, int64_t lambda) {
    const int64_t gap = std::max(LIST_GAP, sighting / LIST_GAP_SHARE);
    return sighting + std::max(2 * mu + lambda + 2,
                               LIST_LOCATE_GAPS * gap + (mu <= LIST_STRETCH ? LIST_STRETCH : 0));
}

// A gap of the value walk after calls calls: 8, or under a 127th of them.
inline int64_t valueGapAfter(int64_t calls) {
    return std::max(VALUE_GAP, calls / VALUE_GAP_SHARE);
}

// findPeriod: Brent's bound for the sighting, then under 13 gaps, and 56
// more when mu <= 56.
inline int64_t findPeriodBound(int64_t mu, int64_t lambda) {
    const int64_t sighting = brentBound(mu, lambda);
    return sighting + VALUE_LOCATE_GAPS * valueGapAfter(sighting) +
           (mu <= VALUE_STRETCH ? VALUE_STRETCH : 0);
}

// findPeriodWithin when it gives nothing: limit, 64 and a gap to rule the
// limit out, and findPeriod's search after that; 3 limit in place of limit
// where the hash gave two of the walk's values the same result.
inline int64_t findPeriodWithoutBound(int64_t limit, bool distinct_hashes = true) {
    const int64_t walked = (distinct_hashes ? limit : 3 * limit) + WITHIN_MARGIN;
    return walked + (VALUE_LOCATE_GAPS + 1) * valueGapAfter(walked) + VALUE_STRETCH;
}

// findPeriod's calls of == and of the hash, given its calls of f: 3 == a
// call and 12 more, one hash a call at most.
constexpr int64_t EQUALS_PER_CALL = 3;
constexpr int64_t EQUALS_MORE = 12;
inline int64_t equalsBound(int64_t calls) {
    return EQUALS_PER_CALL * calls + EQUALS_MORE;
}

#endif
