// The big strongly connected component by reachability: after the peel, a
// graph with many cycles is mostly one component. A breadth-first search
// from one vertex over the rows finds what it reaches (F); passes over the
// rows of F in order then mark what reaches a marked vertex (B, the start's
// component), until a pass marks nothing. Both read state from two bitmaps,
// n / 4 bytes, which stay in the near caches where the counts would not:
// the search's front is known ahead, so its rows' misses overlap, and the
// passes read rows in order. Tarjan's search then numbers only what lies
// outside B.
//
// Numbering, sinks first as Tarjan's gives it: F \ B is closed under
// successors (a vertex of F with an edge into B would reach the start, so
// lie in B), so its components come first; then B; then the rest of what
// the peel left, none of whose edges leaves F for the rest. An edge from the
// rest into F runs from a higher number to a lower one, as it must.
//
// Cost: the search reads each edge of F once, a pass each edge of a row of
// F \ B up to its first marked successor. A vertex reaches B along a path
// that runs down in index order within one pass; on one that runs up, a
// pass a step. After REACH_PASSES passes the passes are given up and
// Tarjan's search numbers all that the peel left, as without them.
#ifndef CYCLE_DETAIL_GRAPH_REACH_H
#define CYCLE_DETAIL_GRAPH_REACH_H

#include "config.h"
#include "graph_peel.h"
#include "graph_rows.h"
#include "graph_search.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

namespace cycle {
namespace detail {

// The passes that mark B before they are given up: a random graph's
// component is marked in about ten.
constexpr size_t REACH_PASSES = 24;

// The vertex the searches start from: of those left (count above zero), the
// one with the most in-edges from the others, the likeliest to lie in the
// big component; n if none is left.
template <typename Count> size_t reachStart(const Count* counts, size_t n) {
    size_t best = n;
    Count most = 0;
    for (size_t v = 0; v < n; v++) {
        if (counts[v] > most) {
            most = counts[v];
            best = v;
        }
    }
    return best;
}

// Marks in into every vertex of within (and not yet in) that has an edge
// to one in, in passes over within in increasing order, until a pass marks
// none; returns false if REACH_PASSES passes did not get there.
template <typename Vertex, typename Offset>
bool markReaching(const Rows<Vertex, Offset>& rows, const VertexBits& within, VertexBits& in) {
    const size_t words = rows.n / 64 + 1;
    for (size_t pass = 0; pass < REACH_PASSES; pass++) {
        bool marked = false;
        for (size_t i = 0; i < words; i++) {
            for (uint64_t open = within.words[i] & ~in.words[i]; open != 0; open &= open - 1) {
                const size_t v = i * 64 + static_cast<size_t>(lowestBit(open));
                const size_t end = rows.end(v);
                for (size_t e = rows.begin(v); e < end; e++) {
                    if (in.has(rows.target(e))) {
                        in.add(v);
                        marked = true;
                        break;
                    }
                }
            }
        }
        if (!marked) {
            return true;
        }
    }
    return false;
}

// The components of what the peel left (counts above zero), B found by
// reachability from reachStart and the rest by Tarjan's search, numbered as
// the header says; writes their numbers to component and returns how many
// there are, or SIZE_MAX, counts untouched, where the passes were given up.
// queue has room for n vertices. Otherwise counts is spent: a peeled
// vertex's rank ends FINISHED, every other FINISHED - 1 - its number.
template <bool Ahead, typename Count, typename Vertex, typename Offset>
size_t componentsByReach(const Rows<Vertex, Offset>& rows, Count* counts, Vertex* queue,
                         Vertex* component) {
    constexpr Count FINISHED = std::numeric_limits<Count>::max();
    // Ranks that Tarjan's search reads as finished: above every entry index
    // (n + 1 at most, n below 2^30 for 32 bits) and below every number's.
    constexpr Count REST = FINISHED / 2;
    constexpr Count IN_B = REST - 1;
    const size_t n = rows.n;
    const size_t start = reachStart(counts, n);
    if (start == n) {
        return 0;
    }
    {
        // The bits go before Tarjan's search, whose path and stack may
        // then take their room.
        VertexBits forward(n);
        VertexBits back(n);
        forward.add(start);
        queue[0] = static_cast<Vertex>(start);
        PeelFront front{0, 1};
        walkQueue<Ahead>(
            rows, queue, front, SIZE_MAX,
            [&forward](size_t w) { return forward.words.get() + (w >> 6); },
            [&forward](size_t w) {
                if (forward.has(w)) {
                    return false;
                }
                forward.add(w);
                return true;
            });
        back.add(start);
        if (!markReaching(rows, forward, back)) {
            return SIZE_MAX;
        }
        // First F \ B, with everything else finished for the while.
        for (size_t v = 0; v < n; v++) {
            counts[v] = counts[v] == 0 ? FINISHED : !forward.has(v) ? REST : back.has(v) ? IN_B : 0;
        }
    }
    const size_t big = searchComponents<Ahead>(rows, counts, 0);
    for (size_t v = 0; v < n; v++) {
        if (counts[v] == IN_B) {
            counts[v] = static_cast<Count>(FINISHED - 1 - big);
        } else if (counts[v] == REST) {
            counts[v] = 0;
        }
    }
    const size_t count = searchComponents<Ahead>(rows, counts, big + 1);
    writeComponents(counts, n, component);
    return count;
}

} // namespace detail
} // namespace cycle

#endif
