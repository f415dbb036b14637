// Cycles, orders and strongly connected components of any directed graph:
// a build's targets and what each depends on, packages and their
// requirements, cells and the cells their formulas read. The graph is on
// vertices [0, n), given in compressed rows (v's successors are
// targets[offsets[v]] .. targets[offsets[v + 1] - 1]) or by a callable that
// returns any range of v's successors. Vertex is any integer type but bool
// (refused at compile time in one line), Offset any integer type; repeated
// edges and self-loops are allowed. The same vertices and edges give the
// same answer, the same cycle included, whatever the types and the form. docs/library.md says
// how each function works.
//
//     std::vector<uint32_t> cycle = cycle::findGraphCycle(offsets, targets, n);
//     for (uint32_t v : cycle) std::printf("%s -> ", name[v]);   // a -> b -> a
//
// Every function runs on the caller's thread, keeps its depth off the call
// stack (a chain of any length runs on a 64 KiB stack), and checks its
// input before it answers: a successor outside [0, n), offsets[0] below 0,
// offsets that go down, or an n whose vertices Vertex cannot all name,
// throw std::invalid_argument naming the vertex and the value. Nothing is
// read outside offsets[0, n] and the targets they delimit; for n = 0,
// nothing at all.
#ifndef CYCLE_GRAPH_H
#define CYCLE_GRAPH_H

#include "detail/graph_rows.h"
#include "detail/graph_run.h"
#include "results.h"

#include <cstddef>
#include <vector>

namespace cycle {

// A cycle of the graph in compressed rows, or none.
//   Returns: empty for an acyclic graph; else distinct vertices, each with
//            an edge to the next and the last with one to the first ({v}
//            for a self-loop). The same vertices and edges give the same
//            cycle, whatever Vertex and Offset, and through the ...Of form.
//   Calls:   a depth-first search from vertex 0 raced against the count
//            pass and Kahn's peel, in doubling slices of edges that hang on
//            n and E alone: about the cheaper of the two plus a share of
//            the other. Each target read once in order by the count pass
//            or, after a cycle is found, by the check (once more ahead by
//            the count pass where the graph lies far: 3 n + E above 2^19,
//            2 MiB of 32-bit arrays, whatever the types), and once by the
//            search or the peel (once more ahead by the peel where the
//            graph lies far, the first 8 of a row the search enters by the
//            search); a row the search had begun when it was taken off its
//            path to let the peel on is read again. Offsets: each read twice
//            by the check, and twice as the peel takes its vertex (six
//            times where the graph lies far) or the search enters it.
//   Memory:  4 + sizeof(Vertex) bytes a vertex (8 + sizeof(Vertex) from
//            2^30 vertices or edges), and 16 bytes a vertex on a search's
//            path, in a std::vector whose capacity may reach twice that and
//            three times while it grows: at most 48 bytes a vertex on the
//            path. The cycle returned, sizeof(Vertex) a vertex on it, is
//            reserved to its size.
//   Threads: the caller's.
//   Throws:  std::invalid_argument for bad input, std::bad_alloc.
template <typename Vertex, typename Offset>
std::vector<Vertex> findGraphCycle(const Offset* offsets, const Vertex* targets, size_t n) {
    static_assert(detail::GRAPH_VERTEX<Vertex>,
                  "cycle: a graph's vertex type must be an integer type other than bool");
    if constexpr (detail::GRAPH_VERTEX<Vertex>) {
        return detail::graphCycle("cycle::findGraphCycle", offsets, targets, n);
    } else {
        return {};
    }
}

// An order in which every vertex comes before its successors, or the cycle
// that forbids one.
//   Returns: for an acyclic graph, order with every vertex once, u before w
//            for every edge u -> w, and cycle empty; else order empty and
//            cycle as findGraphCycle gives it.
//   Calls:   as findGraphCycle.
//   Memory:  4 bytes a vertex (8 from 2^30 vertices or edges) beside the
//            result, and 16 bytes a vertex on a search's path, at most 48
//            while its std::vector grows, as findGraphCycle's.
//   Threads: the caller's.
//   Throws:  std::invalid_argument for bad input, std::bad_alloc.
template <typename Vertex, typename Offset>
Order<Vertex> topologicalOrder(const Offset* offsets, const Vertex* targets, size_t n) {
    static_assert(detail::GRAPH_VERTEX<Vertex>,
                  "cycle: a graph's vertex type must be an integer type other than bool");
    if constexpr (detail::GRAPH_VERTEX<Vertex>) {
        return detail::graphOrder("cycle::topologicalOrder", offsets, targets, n);
    } else {
        return {};
    }
}

// The strongly connected components, numbered sinks first.
//   Requires: component has room for n vertices.
//   Returns: the number of components, count, having written component[v]
//            in [0, count) for every v: two vertices share a number exactly
//            when each reaches the other, and every edge u -> w has
//            component[u] >= component[w].
//   Calls:   each edge read once in order, to check and count, and once as
//            Kahn's peel takes it (each once more ahead where the graph lies
//            far, as findGraphCycle's). Near, an edge the peel leaves (in or
//            after a cycle) is read once more in Tarjan's search. Far, the
//            big component is found by reachability first: a breadth-first
//            search from the vertex left with the most in-edges reads each
//            edge it reaches once (and the row and state of each once ahead);
//            then at most 24 passes over those rows in order, each reading a
//            row not yet marked up to its first marked successor, mark the
//            vertices that reach the start (given up after 24, when Tarjan's
//            search takes all that the peel left); Tarjan's search reads
//            each edge outside the start's component once more, and the
//            first 8 of each row it enters once more ahead.
//   Memory:  4 + sizeof(Vertex) bytes a vertex (8 + sizeof(Vertex) from
//            2^30 vertices or edges); far, two bits a vertex while the big
//            component is found, freed before Tarjan's search; and 20 bytes
//            a vertex Tarjan's search takes (32 from 2^30), for its path
//            (16) and stack (4, 8 from 2^30), in std::vectors whose capacity
//            may reach twice that and three times while one grows: at most
//            60 bytes a vertex it takes (96 from 2^30).
//   Threads: the caller's.
//   Throws:  std::invalid_argument for bad input, std::bad_alloc; component
//            is then unspecified.
template <typename Vertex, typename Offset>
size_t stronglyConnected(const Offset* offsets, const Vertex* targets, size_t n,
                         Vertex* component) {
    static_assert(detail::GRAPH_VERTEX<Vertex>,
                  "cycle: a graph's vertex type must be an integer type other than bool");
    if constexpr (detail::GRAPH_VERTEX<Vertex>) {
        return detail::graphComponents("cycle::stronglyConnected", offsets, targets, n, component);
    } else {
        return 0;
    }
}

// The same three questions of a graph given by successors(v), a callable
// returning any range of v's successors (for example a reference to v's
// adjacency list). A negative n throws std::invalid_argument.
//   Calls:   successors(v) once for each v, in increasing order; what it
//            returns is copied into rows of the library's own and answered
//            as above.
//   Memory:  beside the rows form's, 8 bytes a vertex and sizeof(Vertex) an
//            edge for the copy; while it is gathered, twice that an edge and
//            2^16 Vertex more.
//   Threads: the caller's.
//   Throws:  as the rows form, and whatever successors throws.
template <typename Vertex, typename Successors>
std::vector<Vertex> findGraphCycleOf(Vertex n, Successors successors) {
    static_assert(detail::GRAPH_VERTEX<Vertex>,
                  "cycle: a graph's vertex type must be an integer type other than bool");
    if constexpr (detail::GRAPH_VERTEX<Vertex>) {
        const char* who = "cycle::findGraphCycleOf";
        const detail::CopiedRows<Vertex> rows = detail::copyRows(who, n, successors);
        return detail::graphCycle(who, rows.offsets.get(), rows.targets.get(), rows.n);
    } else {
        return {};
    }
}

template <typename Vertex, typename Successors>
Order<Vertex> topologicalOrderOf(Vertex n, Successors successors) {
    static_assert(detail::GRAPH_VERTEX<Vertex>,
                  "cycle: a graph's vertex type must be an integer type other than bool");
    if constexpr (detail::GRAPH_VERTEX<Vertex>) {
        const char* who = "cycle::topologicalOrderOf";
        const detail::CopiedRows<Vertex> rows = detail::copyRows(who, n, successors);
        return detail::graphOrder(who, rows.offsets.get(), rows.targets.get(), rows.n);
    } else {
        return {};
    }
}

template <typename Vertex, typename Successors>
size_t stronglyConnectedOf(Vertex n, Successors successors, Vertex* component) {
    static_assert(detail::GRAPH_VERTEX<Vertex>,
                  "cycle: a graph's vertex type must be an integer type other than bool");
    if constexpr (detail::GRAPH_VERTEX<Vertex>) {
        const char* who = "cycle::stronglyConnectedOf";
        const detail::CopiedRows<Vertex> rows = detail::copyRows(who, n, successors);
        return detail::graphComponents(who, rows.offsets.get(), rows.targets.get(), rows.n,
                                       component);
    } else {
        return 0;
    }
}

} // namespace cycle

#endif
