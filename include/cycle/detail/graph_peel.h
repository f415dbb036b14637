// Kahn's peel of a checked graph: every vertex whose in-degree falls to
// zero joins the order, and its edges are taken away in turn.
//
// Invariant: order[0, tail) holds the vertices peeled so far, each after
// every peeled vertex with an edge to it; counts[w] is the number of w's
// in-edges from vertices not yet taken off the front of the order. What the
// peel leaves (counts above zero) is every cycle and everything a cycle
// reaches, and each vertex left has an in-edge from another vertex left.
//
// Cost: every edge read once, in the order's order. That order is known
// ahead, so the loop asks for the rows and the counts it is about to touch:
// a vertex's offsets ROW_AHEAD vertices ahead, its row EDGES_AHEAD ahead,
// and its successors' counts COUNTS_AHEAD ahead, each stage reading what the
// one before brought in. Where the front of the order is narrower than
// that (a chain), the peel waits on each miss in turn.
#ifndef CYCLE_DETAIL_GRAPH_PEEL_H
#define CYCLE_DETAIL_GRAPH_PEEL_H

#include "config.h"
#include "graph_rows.h"

#include <cstddef>
#include <cstdint>

namespace cycle {
namespace detail {

constexpr size_t ROW_AHEAD = 64;
constexpr size_t EDGES_AHEAD = 40;
constexpr size_t COUNTS_AHEAD = 16;
// The edges of one row whose counts are asked for ahead, and how far ahead
// within a longer row.
constexpr size_t ROW_PREFETCH = 16;

// Asks for the lines ask(w) of the successors w of the row [e, end), up to
// ROW_PREFETCH of them.
template <typename View, typename Ask>
CYCLE_ALWAYS_INLINE void askAhead(const View& rows, size_t e, size_t end, Ask ask) {
    const size_t stop = end - e > ROW_PREFETCH ? e + ROW_PREFETCH : end;
    for (; e < stop; e++) {
        prefetchLine(ask(rows.target(e)));
    }
}

// Where a peel stands: order[0, head) taken off, order[head, tail) waiting.
struct PeelFront {
    size_t head;
    size_t tail;
};

// Puts every vertex whose count is 0 into order, in increasing order, and
// returns the front that holds them.
template <typename Count, typename Vertex>
PeelFront seedPeel(const Count* counts, size_t n, Vertex* order) {
    size_t tail = 0;
    for (size_t v = 0; v < n; v++) {
        if (counts[v] == 0) {
            order[tail++] = static_cast<Vertex>(v);
        }
    }
    return {0, tail};
}

// Takes vertices off the front of a walk over rows in the order of a queue,
// each with its whole row, until the queue is empty or budget edges have
// been read; returns the edges read. reached(w) is called for every edge's
// target w, and w joins the queue where it returns true. The queue's order
// is known ahead, so, Ahead, the walk asks for the rows it is about to read
// and the lines ask(w) that reached(w) will read. rows is any view with
// Rows' begin, end, target, rowLine and edgeLine.
template <bool Ahead, typename View, typename Vertex, typename Ask, typename Reached>
size_t walkQueue(const View& rows, Vertex* queue, PeelFront& front, size_t budget, Ask ask,
                 Reached reached) {
    auto at = [queue](size_t i) {
        return static_cast<size_t>(static_cast<std::make_unsigned_t<Vertex>>(queue[i]));
    };
    size_t head = front.head;
    size_t tail = front.tail;
    size_t read = 0;
    for (; head < tail && read < budget; head++) {
        if (Ahead && head + ROW_AHEAD < tail) {
            prefetchLine(rows.rowLine(at(head + ROW_AHEAD)));
        }
        if (Ahead && head + EDGES_AHEAD < tail) {
            const size_t u = at(head + EDGES_AHEAD);
            const size_t b = rows.begin(u);
            const size_t e = rows.end(u);
            if (b < e) {
                prefetchLine(rows.edgeLine(b));
                prefetchLine(rows.edgeLine(e - 1));
            }
        }
        if (Ahead && head + COUNTS_AHEAD < tail) {
            const size_t u = at(head + COUNTS_AHEAD);
            askAhead(rows, rows.begin(u), rows.end(u), ask);
        }
        const size_t v = at(head);
        const size_t begin = rows.begin(v);
        const size_t end = rows.end(v);
        for (size_t e = begin; e < end; e++) {
            if (Ahead && CYCLE_RARELY(e + ROW_PREFETCH < end)) {
                prefetchLine(ask(rows.target(e + ROW_PREFETCH)));
            }
            const size_t w = rows.target(e);
            if (reached(w)) {
                queue[tail++] = static_cast<Vertex>(w);
            }
        }
        read += end - begin;
    }
    front = {head, tail};
    return read;
}

// Takes vertices off the front of the peel of rows, as walkQueue does. A
// count never falls to zero while a bit above the count's own is set, so a
// vertex so marked is never peeled.
template <bool Ahead, typename Count, typename Vertex, typename Offset>
size_t peelRows(const Rows<Vertex, Offset>& rows, Count* counts, Vertex* order, PeelFront& front,
                size_t budget) {
    return walkQueue<Ahead>(
        rows, order, front, budget, [counts](size_t w) { return counts + w; },
        [counts](size_t w) { return --counts[w] == 0; });
}

} // namespace detail
} // namespace cycle

#endif
