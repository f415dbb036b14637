// Long chains contracted for the peel, where the graph lies far. A chain
// vertex has one in-edge and one out-edge. On a path of them Kahn's peel
// waits for a miss a vertex: each is known only once the one before it is
// read. Markers (markers.h) cut the paths into segments, as traceAll cuts a
// mapping's cycles: a segment is a marker and the chain vertices after it,
// up to its exit, the first vertex that is a marker or no chain vertex. The
// segments are walked SEGMENT_CURSORS at once, so their misses overlap. The
// peel then takes a segment as its marker alone, with one edge to the exit.
// Once the peel is through, the segments are walked again, at once, to
// write their vertices into the order after their markers.
//
// Invariant while the contracted peel runs: a marker's count holds TAG and
// its segment's index, and the one edge into it is taken when the peel
// reaches it. Every vertex of a segment has its one in-edge from the vertex
// before it, so the peel reaches a segment's vertices only through its
// marker. After the expansion, every vertex peeled has count 0, and every
// other count is what the plain peel would leave.
//
// Cost: a pass over the counts and offsets to find the chain vertices; each
// segment's vertices walked twice, reading an offset and a target each
// time; the peel reads a marker's count to see its row, and its segment's
// record. Memory: 40 bytes a marker, at most one marker in MARKER_SHARE
// vertices: a hash that picks more picks no more.
#ifndef CYCLE_DETAIL_GRAPH_CHAINS_H
#define CYCLE_DETAIL_GRAPH_CHAINS_H

#include "config.h"
#include "graph_peel.h"
#include "graph_rows.h"
#include "markers.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cycle {
namespace detail {

// Chains are contracted where at least one vertex in CHAIN_SHARE is a chain
// vertex; below that the peel's front is wide enough to overlap its misses.
constexpr size_t CHAIN_SHARE = 8;
constexpr size_t MARKER_SHARE = 32;

// A segment: its marker, its vertex count (the marker's included), its exit,
// and the marker's place in the order (SIZE_MAX until the peel reaches it).
struct Segment {
    size_t marker;
    size_t length;
    size_t exit;
    size_t position;
};

template <typename Count> struct Chains {
    static constexpr Count TAG = Count{1} << (8 * sizeof(Count) - 1);
    std::vector<Segment> segments;
    // The segments in the order the peel reached their markers.
    std::vector<size_t> reached;
};

template <typename Count, typename Vertex, typename Offset>
bool isChainVertex(const Rows<Vertex, Offset>& rows, const Count* counts, size_t v) {
    return counts[v] == 1 && rows.end(v) - rows.begin(v) == 1;
}

// How many markers rows would have if its chains were contracted: 0 where
// it has too few chain vertices. counts holds in-degrees; a count with a
// search's bit set is no chain vertex's.
template <typename Count, typename Vertex, typename Offset>
size_t chainMarkers(const Rows<Vertex, Offset>& rows, const Count* counts) {
    size_t chain = 0;
    size_t markers = 0;
    for (size_t v = 0; v < rows.n; v++) {
        const bool on_chain = isChainVertex(rows, counts, v);
        chain += on_chain;
        markers += on_chain && isMarker(v);
    }
    const size_t most = rows.n / MARKER_SHARE;
    return chain >= rows.n / CHAIN_SHARE ? (markers < most ? markers : most) : 0;
}

// Walks the segments which[0, count) (segments[0, count) for a null which)
// at once. follow(k, 0, marker) is called as segment k's walk starts, then
// follow(k, rank, w) for the rank-th vertex w after the marker, with w's
// offsets and the line ask(w) asked for; each returns whether the walk goes
// on from the vertex it was given, which must then be a chain vertex. A
// cursor reads a target in one turn and follows it in the next, so each
// turn waits on nothing it asked for in the same round.
template <typename Vertex, typename Offset, typename Ask, typename Follow>
void walkSegmentsAtOnce(const Rows<Vertex, Offset>& rows, const Segment* segments,
                        const size_t* which, size_t count, Ask ask, Follow follow) {
    constexpr size_t UNREAD = SIZE_MAX;
    size_t segment[SEGMENT_CURSORS];
    size_t edge[SEGMENT_CURSORS];
    size_t vertex[SEGMENT_CURSORS];
    size_t rank[SEGMENT_CURSORS];
    int active = 0;
    size_t taken = 0;
    for (;;) {
        while (active < SEGMENT_CURSORS && taken < count) {
            const size_t k = which != nullptr ? which[taken] : taken;
            taken++;
            const size_t marker = segments[k].marker;
            if (!follow(k, 0, marker)) {
                continue;
            }
            segment[active] = k;
            rank[active] = 0;
            edge[active] = rows.begin(marker);
            vertex[active] = UNREAD;
            prefetchLine(rows.edgeLine(edge[active]));
            active++;
        }
        if (active == 0) {
            return;
        }
        for (int i = 0; i < active;) {
            if (vertex[i] == UNREAD) {
                const size_t w = rows.target(edge[i]);
                vertex[i] = w;
                prefetchLine(rows.rowLine(w));
                prefetchLine(ask(w));
                i++;
                continue;
            }
            const size_t w = vertex[i];
            if (follow(segment[i], ++rank[i], w)) {
                edge[i] = rows.begin(w);
                vertex[i] = UNREAD;
                prefetchLine(rows.edgeLine(edge[i]));
                i++;
                continue;
            }
            active--;
            segment[i] = segment[active];
            edge[i] = edge[active];
            vertex[i] = vertex[active];
            rank[i] = rank[active];
        }
    }
}

// Picks the first markers of rows' chain vertices in index order (markers
// of them, as chainMarkers counted), tags their counts and walks their
// segments to their exits. counts holds in-degrees with no search's bit on
// a chain vertex. The walk tests a vertex on a bitmap of the chain vertices
// left untagged, which the near caches hold where the counts would not.
template <typename Count, typename Vertex, typename Offset>
void contractChains(const Rows<Vertex, Offset>& rows, Count* counts, Chains<Count>& chains,
                    size_t markers) {
    using C = Chains<Count>;
    std::vector<Segment>& segments = chains.segments;
    segments.reserve(markers);
    chains.reached.reserve(markers);
    VertexBits inner(rows.n);
    for (size_t v = 0; v < rows.n; v++) {
        if (!isChainVertex(rows, counts, v)) {
            continue;
        }
        if (segments.size() < markers && isMarker(v)) {
            counts[v] = C::TAG | static_cast<Count>(segments.size());
            segments.push_back({v, 1, v, SIZE_MAX});
        } else {
            inner.add(v);
        }
    }
    Segment* records = segments.data();
    walkSegmentsAtOnce(
        rows, records, nullptr, segments.size(),
        [&inner](size_t w) { return inner.words.get() + (w >> 6); },
        [&inner, records](size_t k, size_t rank, size_t w) {
            if (rank == 0) {
                return true;
            }
            if (inner.has(w)) {
                records[k].length++;
                return true;
            }
            records[k].exit = w;
            return false;
        });
}

// Rows as the contracted peel sees them: a marker's row is the one edge to
// its segment's exit, numbered after the real edges.
template <typename Count, typename Vertex, typename Offset> struct ContractedRows {
    const Rows<Vertex, Offset>& rows;
    const Count* counts;
    const Segment* segments;
    size_t last;

    size_t begin(size_t v) const {
        const Count c = counts[v];
        return CYCLE_RARELY((c & Chains<Count>::TAG) != 0)
                   ? last + static_cast<size_t>(c & ~Chains<Count>::TAG)
                   : rows.begin(v);
    }
    size_t end(size_t v) const {
        const Count c = counts[v];
        return CYCLE_RARELY((c & Chains<Count>::TAG) != 0)
                   ? last + static_cast<size_t>(c & ~Chains<Count>::TAG) + 1
                   : rows.end(v);
    }
    size_t target(size_t e) const {
        return CYCLE_RARELY(e >= last) ? segments[e - last].exit : rows.target(e);
    }
    const void* rowLine(size_t v) const {
        return rows.rowLine(v);
    }
    const void* edgeLine(size_t e) const {
        return e >= last ? static_cast<const void*>(&segments[e - last].exit) : rows.edgeLine(e);
    }
};

// Takes vertices off the front of the peel as peelRows does, each segment
// of chains as its marker.
template <bool Ahead, typename Count, typename Vertex, typename Offset>
size_t peelContracted(const Rows<Vertex, Offset>& rows, Count* counts, Vertex* order,
                      PeelFront& front, size_t budget, Chains<Count>& chains) {
    const ContractedRows<Count, Vertex, Offset> view{rows, counts, chains.segments.data(),
                                                     rows.begin(rows.n)};
    std::vector<size_t>& reached = chains.reached;
    return walkQueue<Ahead>(
        view, order, front, budget, [counts](size_t w) { return counts + w; },
        [counts, &reached](size_t w) {
            const Count c = counts[w];
            if (CYCLE_RARELY((c & Chains<Count>::TAG) != 0)) {
                // A marker's one in-edge; reached holds room for every one.
                reached.push_back(static_cast<size_t>(c & ~Chains<Count>::TAG));
                return true;
            }
            counts[w] = c - 1;
            return c == 1;
        });
}

// Once the contracted peel's front is empty: writes every reached segment's
// vertices into the order after its marker and moves the front past them.
// Unless that peels all room vertices, when no count is read again, gives
// each vertex peeled count 0 and each marker not reached its count of 1
// back. Frees chains.
template <typename Count, typename Vertex, typename Offset>
void expandChains(const Rows<Vertex, Offset>& rows, Count* counts, Vertex* order, PeelFront& front,
                  Chains<Count>& chains, size_t room) {
    std::vector<Segment>& segments = chains.segments;
    const std::vector<size_t>& reached = chains.reached;
    size_t total = front.tail;
    for (size_t k : reached) {
        total += segments[k].length - 1;
    }
    // From the back, so that every vertex moves to a place at or after its
    // own, none of them read yet: the markers come in the order they were
    // reached.
    size_t out = total;
    size_t next = reached.size();
    for (size_t i = front.tail; i-- > 0;) {
        const size_t v = static_cast<size_t>(static_cast<std::make_unsigned_t<Vertex>>(order[i]));
        if (next > 0 && segments[reached[next - 1]].marker == v) {
            Segment& segment = segments[reached[--next]];
            out -= segment.length;
            segment.position = out;
        } else {
            out--;
        }
        order[out] = static_cast<Vertex>(v);
    }
    Segment* records = segments.data();
    auto expand = [&](auto ask, auto take) {
        walkSegmentsAtOnce(rows, records, reached.data(), reached.size(), ask,
                           [order, records, take](size_t k, size_t rank, size_t w) {
                               const Segment& segment = records[k];
                               take(w);
                               if (rank == 0) {
                                   return segment.length > 1;
                               }
                               order[segment.position + rank] = static_cast<Vertex>(w);
                               return rank + 1 < segment.length;
                           });
    };
    if (total == room) {
        expand([order](size_t) { return order; }, [](size_t) {});
    } else {
        expand([counts](size_t w) { return counts + w; }, [counts](size_t w) { counts[w] = 0; });
        for (const Segment& segment : segments) {
            if (segment.position == SIZE_MAX) {
                counts[segment.marker] = 1;
            }
        }
    }
    front = {total, total};
    chains = Chains<Count>();
}

// Peels rows, whose in-degrees are in counts, into order (room for n
// vertices), asking for lines ahead and contracting chains where the graph
// lies beyond the nearest caches. Returns how many vertices were peeled: n
// exactly when the graph is acyclic. counts ends as graph_peel.h's
// invariant says.
template <typename Count, typename Vertex, typename Offset>
size_t peel(const Rows<Vertex, Offset>& rows, Count* counts, Vertex* order) {
    PeelFront front = seedPeel(counts, rows.n, order);
    if (!liesFar(rows)) {
        peelRows<false>(rows, counts, order, front, SIZE_MAX);
        return front.tail;
    }
    const size_t markers = chainMarkers(rows, counts);
    if (markers == 0) {
        peelRows<true>(rows, counts, order, front, SIZE_MAX);
        return front.tail;
    }
    Chains<Count> chains;
    contractChains(rows, counts, chains, markers);
    peelContracted<true>(rows, counts, order, front, SIZE_MAX, chains);
    expandChains(rows, counts, order, front, chains, rows.n);
    return front.tail;
}

} // namespace detail
} // namespace cycle

#endif
