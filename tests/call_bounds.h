// The list functions' stated worst cases, in calls of next, for the tests
// and the fuzz target: each is the contract's formula, written once.
#ifndef CYCLE_TESTS_CALL_BOUNDS_H
#define CYCLE_TESTS_CALL_BOUNDS_H

#include <algorithm>
#include <cstdint>

// Brent's method: 2 max(mu, lambda) + lambda.
inline int64_t brentBound(int64_t mu, int64_t lambda) {
    return 2 * std::max(mu, lambda) + lambda;
}

// hasCycle on a linear list of n nodes: n, plus the trailing cursor's calls
// over the first 224 nodes (it starts two behind).
inline int64_t hasCycleLinearCalls(int64_t n) {
    return n <= 2 ? n : n + std::min<int64_t>((n - 3) / 2, 111);
}

// hasCycle on a cycle: 3 (mu + lambda) when mu + lambda <= 112, otherwise
// max(2 max(mu, lambda), 224) + lambda + 112.
inline int64_t hasCycleBound(int64_t mu, int64_t lambda) {
    return mu + lambda <= 112 ? 3 * (mu + lambda)
                              : std::max(2 * std::max(mu, lambda), int64_t{224}) + lambda + 112;
}

// findCycle, given hasCycle's calls (sighting): 2 mu + lambda + 2 more where
// the cursors met within the first 224 nodes; otherwise under 11 gaps (32 or
// a 31st of the calls), and 224 more when mu <= 224.
inline int64_t findCycleBound(int64_t sighting, int64_t mu, int64_t lambda) {
    const int64_t gap = std::max<int64_t>(32, sighting / 31);
    return sighting + std::max(2 * mu + lambda + 2, 11 * gap + (mu <= 224 ? 224 : 0));
}

#endif
