// The depth-first search over what the peel leaves for its strongly
// connected components. It keeps its depth on the heap (a chain of any
// length runs on a small stack) and resumes each vertex's row where it
// stopped, so every edge is read once.
//
// It takes the peel's counts as its state, where 0 marks a peeled vertex.
// No vertex left has an edge to a peeled one (its count would never have
// reached zero), so the search never leaves what the peel left.
#ifndef CYCLE_DETAIL_GRAPH_SEARCH_H
#define CYCLE_DETAIL_GRAPH_SEARCH_H

#include "config.h"
#include "graph_rows.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace cycle {
namespace detail {

// How many successors of a vertex just entered have their state and row
// asked for ahead.
constexpr size_t ENTER_AHEAD = 8;

// The strongly connected components of the vertices whose counts are above
// zero (Tarjan's search with Pearce's single index a vertex), numbered from
// 0 in the order they complete: a component completes only after every
// component it reaches, so every edge u -> w has u's number at least w's.
// Writes each such vertex's number to component and returns how many there
// are. counts is spent.
//
// Invariant: rank[v] (counts reused) is 0 for a vertex not yet entered, its
// entry index (below every number given out) while on the path or waiting
// in the stack of its component, and FINISHED - its component's number once
// done; a peeled vertex holds FINISHED, so no comparison ever lowers a rank
// through it.
template <bool Ahead, typename Count, typename Vertex, typename Offset>
size_t componentsOfLeftRows(const Rows<Vertex, Offset>& rows, Count* rank, Vertex* component) {
    constexpr Count FINISHED = std::numeric_limits<Count>::max();
    const size_t n = rows.n;
    for (size_t v = 0; v < n; v++) {
        rank[v] = rank[v] == 0 ? FINISHED : 0;
    }
    // 16 bytes a vertex on the path for a 32-bit Count, whose width every
    // vertex number fits.
    struct Entered {
        size_t edge;
        Count vertex;
        bool root;
    };
    std::vector<Entered> path;
    std::vector<Count> waiting;
    Count index = 1;
    Count next_number = FINISHED - 1;
    auto enter = [&](size_t v) {
        rank[v] = index++;
        const size_t b = rows.begin(v);
        const size_t e = rows.end(v);
        for (size_t i = b; Ahead && i < e && i < b + ENTER_AHEAD; i++) {
            const size_t w = rows.target(i);
            prefetchLine(rank + w);
            prefetchLine(rows.offsets + w);
        }
        path.push_back({b, static_cast<Count>(v), true});
    };
    for (size_t start = 0; start < n; start++) {
        if (rank[start] != 0) {
            continue;
        }
        enter(start);
        while (!path.empty()) {
            // The row's successors already entered, read in a tight loop
            // that only lowers the vertex's rank, up to the first one not
            // yet entered, which the search goes down into.
            Entered& top = path.back();
            Count low = rank[top.vertex];
            bool root = top.root;
            size_t e = top.edge;
            const size_t end = rows.end(top.vertex);
            size_t w = 0;
            for (; e < end; e++) {
                w = rows.target(e);
                const Count seen = rank[w];
                if (seen == 0) {
                    break;
                }
                if (seen < low) {
                    low = seen;
                    root = false;
                }
            }
            rank[top.vertex] = low;
            top.root = root;
            if (e < end) {
                top.edge = e + 1;
                enter(w);
                continue;
            }
            const Count v = top.vertex;
            path.pop_back();
            if (root) {
                index--;
                while (!waiting.empty() && rank[v] <= rank[waiting.back()]) {
                    rank[waiting.back()] = next_number;
                    waiting.pop_back();
                    index--;
                }
                rank[v] = next_number--;
            } else {
                waiting.push_back(v);
            }
            if (!path.empty() && rank[v] < rank[path.back().vertex]) {
                rank[path.back().vertex] = rank[v];
                path.back().root = false;
            }
        }
    }
    for (size_t v = 0; v < n; v++) {
        if (rank[v] != FINISHED) {
            component[v] = static_cast<Vertex>(FINISHED - 1 - rank[v]);
        }
    }
    return static_cast<size_t>(FINISHED - 1 - next_number);
}

// The components as componentsOfLeftRows numbers them, asking ahead for the
// state and offsets of the successors of a vertex just entered where the
// graph lies beyond the near caches.
template <typename Count, typename Vertex, typename Offset>
size_t componentsOfLeft(const Rows<Vertex, Offset>& rows, Count* rank, Vertex* component) {
    return liesFar(rows) ? componentsOfLeftRows<true>(rows, rank, component)
                         : componentsOfLeftRows<false>(rows, rank, component);
}

} // namespace detail
} // namespace cycle

#endif
