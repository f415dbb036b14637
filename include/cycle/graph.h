// Cycles, orders and strongly connected components of any directed graph:
// a build's targets and what each depends on, packages and their
// requirements, cells and the cells their formulas read. The graph is on
// vertices [0, n), given in compressed rows (v's successors are
// targets[offsets[v]] .. targets[offsets[v + 1] - 1]) or by a callable that
// returns any range of v's successors. Vertex and Offset are any integer
// types; repeated edges and self-loops are allowed. docs/library.md says
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
//            for a self-loop). The same graph gives the same cycle.
//   Calls:   first a depth-first search from vertex 0 that reads at most
//            E / 16 of the E edges (E / 1,024 where the graph's arrays pass
//            2 MiB); if it meets a cycle, every target is read once more, in
//            order, to check it, and that is all.
//            Else offsets are read twice and each edge twice more: once in
//            order, to check and count, and once as Kahn's peel takes it;
//            an edge the peel leaves (on or after a cycle) at most once more.
//   Memory:  4 + sizeof(Vertex) bytes a vertex (8 + sizeof(Vertex) from
//            2^30 vertices or edges), and 16 bytes a vertex on a search's
//            path.
//   Threads: the caller's.
//   Throws:  std::invalid_argument for bad input, std::bad_alloc.
template <typename Vertex, typename Offset>
std::vector<Vertex> findGraphCycle(const Offset* offsets, const Vertex* targets, size_t n) {
    return detail::graphCycle("cycle::findGraphCycle", offsets, targets, n);
}

// An order in which every vertex comes before its successors, or the cycle
// that forbids one.
//   Returns: for an acyclic graph, order with every vertex once, u before w
//            for every edge u -> w, and cycle empty; else order empty and
//            cycle as findGraphCycle gives it.
//   Calls:   as findGraphCycle.
//   Memory:  4 bytes a vertex (8 from 2^30 vertices or edges) beside the
//            result, and 16 bytes a vertex on a search's path.
//   Threads: the caller's.
//   Throws:  std::invalid_argument for bad input, std::bad_alloc.
template <typename Vertex, typename Offset>
Order<Vertex> topologicalOrder(const Offset* offsets, const Vertex* targets, size_t n) {
    return detail::graphOrder("cycle::topologicalOrder", offsets, targets, n);
}

// The strongly connected components, numbered sinks first.
//   Requires: component has room for n vertices.
//   Returns: the number of components, count, having written component[v]
//            in [0, count) for every v: two vertices share a number exactly
//            when each reaches the other, and every edge u -> w has
//            component[u] >= component[w].
//   Calls:   reads offsets twice and each edge twice, as findGraphCycle
//            does after its first search; an edge the peel leaves (in or
//            after a cycle) exactly once more.
//   Memory:  4 + sizeof(Vertex) bytes a vertex (8 + sizeof(Vertex) from
//            2^30 vertices or edges), and at most 20 bytes a vertex the
//            peel leaves (32 from 2^30), for Tarjan's path and stack, in
//            std::vectors whose capacity may reach twice that.
//   Threads: the caller's.
//   Throws:  std::invalid_argument for bad input, std::bad_alloc; component
//            is then unspecified.
template <typename Vertex, typename Offset>
size_t stronglyConnected(const Offset* offsets, const Vertex* targets, size_t n,
                         Vertex* component) {
    return detail::graphComponents("cycle::stronglyConnected", offsets, targets, n, component);
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
    const char* who = "cycle::findGraphCycleOf";
    const detail::CopiedRows<Vertex> rows = detail::copyRows(who, n, successors);
    return detail::graphCycle(who, rows.offsets.get(), rows.targets.get(), rows.n);
}

template <typename Vertex, typename Successors>
Order<Vertex> topologicalOrderOf(Vertex n, Successors successors) {
    const char* who = "cycle::topologicalOrderOf";
    const detail::CopiedRows<Vertex> rows = detail::copyRows(who, n, successors);
    return detail::graphOrder(who, rows.offsets.get(), rows.targets.get(), rows.n);
}

template <typename Vertex, typename Successors>
size_t stronglyConnectedOf(Vertex n, Successors successors, Vertex* component) {
    const char* who = "cycle::stronglyConnectedOf";
    const detail::CopiedRows<Vertex> rows = detail::copyRows(who, n, successors);
    return detail::graphComponents(who, rows.offsets.get(), rows.targets.get(), rows.n, component);
}

} // namespace cycle

#endif
