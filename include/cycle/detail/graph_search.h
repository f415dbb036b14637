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

// Writes FINISHED - 1 - rank[v] to component[v] for every v whose rank is
// not FINISHED.
template <typename Count, typename Vertex>
void writeComponents(const Count* rank, size_t n, Vertex* component) {
    constexpr Count FINISHED = std::numeric_limits<Count>::max();
    for (size_t v = 0; v < n; v++) {
        if (rank[v] != FINISHED) {
            component[v] = static_cast<Vertex>(FINISHED - 1 - rank[v]);
        }
    }
}

// How many successors of a vertex just entered have their state and row
// asked for ahead.
constexpr size_t ENTER_AHEAD = 8;

// Tarjan's search (with Pearce's single index a vertex) over the vertices
// whose rank is 0, numbering their strongly connected components from first
// on in the order they complete: a component completes only after every
// component it reaches, so every edge u -> w has u's number at least w's.
// Every other vertex counts as finished: its rank must lie above n + 1,
// every entry index, so that no comparison lowers a rank through it, and
// an edge may run from it into the searched ones only if it is numbered
// after them. Returns the number after the last given.
//
// Invariant: rank[v] is 0 for a vertex not yet entered, its entry index
// (below every number given out) while on the path or waiting in the stack
// of its component, and FINISHED - 1 - its component's number once done.
template <bool Ahead, typename Count, typename Vertex, typename Offset>
size_t searchComponents(const Rows<Vertex, Offset>& rows, Count* rank, size_t first) {
    constexpr Count FINISHED = std::numeric_limits<Count>::max();
    const size_t n = rows.n;
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
    Count next_number = static_cast<Count>(FINISHED - 1 - first);
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
    return static_cast<size_t>(FINISHED - 1 - next_number);
}

// The strongly connected components of the vertices whose counts are above
// zero, numbered from 0 as searchComponents numbers them, asking ahead for
// the state and offsets of the successors of a vertex just entered where the
// graph lies beyond the near caches. Writes each such vertex's number to
// component and returns how many there are. counts is spent: a peeled
// vertex's rank is FINISHED, every other FINISHED - 1 - its number.
template <typename Count, typename Vertex, typename Offset>
size_t componentsOfLeft(const Rows<Vertex, Offset>& rows, Count* rank, Vertex* component) {
    constexpr Count FINISHED = std::numeric_limits<Count>::max();
    for (size_t v = 0; v < rows.n; v++) {
        rank[v] = rank[v] == 0 ? FINISHED : 0;
    }
    const size_t count = liesFar(rows) ? searchComponents<true>(rows, rank, 0)
                                       : searchComponents<false>(rows, rank, 0);
    writeComponents(rank, rows.n, component);
    return count;
}

} // namespace detail
} // namespace cycle

#endif
