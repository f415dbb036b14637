// What the library's functions return, in one place so that the walks
// behind them fill the same records the caller gets.
#ifndef CYCLE_RESULTS_H
#define CYCLE_RESULTS_H

#include <cstdint>
#include <vector>

namespace cycle {

// Where a list's cycle starts: entry is its first node on the cycle, mu the
// number of nodes before entry, lambda the cycle's length. A linear list of
// n nodes gives {nullptr, n, 0}.
template <typename Node> struct Cycle {
    const Node* entry;
    int64_t mu;
    int64_t lambda;
};

// An iterated function's sequence from a start: entry is x(mu), the first
// value that comes back; mu its position; lambda (at least 1) the cycle's
// length.
template <typename T> struct Period {
    T entry;
    int64_t mu;
    int64_t lambda;
};

// One cycle of a mapping: its smallest element and its length.
template <typename Index> struct Loop {
    Index leader;
    uint64_t length;
};

// What traceAll found in a mapping.
struct MapSummary {
    uint64_t cycles;    // cycles in the mapping
    uint64_t on_cycles; // elements on a cycle
    uint64_t roots;     // elements whose entry ends their path
    uint64_t longest;   // the largest distance
};

// A directed graph's order, or the cycle that forbids one: exactly one of
// the two is empty (both, for a graph of no vertices). order has every
// vertex once, each before every vertex it has an edge to; cycle is distinct
// vertices, each with an edge to the next and the last with one to the first.
template <typename Vertex> struct Order {
    std::vector<Vertex> order;
    std::vector<Vertex> cycle;
};

} // namespace cycle

#endif
