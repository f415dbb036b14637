// The ways of answering a directed graph's three questions that the graph
// rows compare, each one small function in a table of named kernels: the
// floor, the textbook searches users write, the peers where their packages
// were found, and the library's.
#ifndef CYCLE_BENCH_GRAPH_KERNELS_H
#define CYCLE_BENCH_GRAPH_KERNELS_H

#include "graph/graph_sets.h"

#include <cstddef>
#include <cstdint>

// The question a kernel answers, and so what of its answer is checked.
enum GraphQuestion { ASKS_NOTHING, ASKS_CYCLE, ASKS_ORDER, ASKS_COMPONENTS };

// What a kernel found: whether the graph is acyclic and, for the components'
// kernels, how many components it has (the floor gives a checksum).
struct GraphFound {
    bool acyclic;
    uint64_t components;
};

// A kernel: run answers on g, given what prepare (where there is one) built
// from g first, such as a peer's own graph; release frees that. The time of
// prepare is reported apart and never counted in the kernel's.
struct GraphKernel {
    const char* name;
    GraphQuestion question;
    GraphFound (*run)(const Graph& g, const void* prepared);
    void* (*prepare)(const Graph& g);
    void (*release)(void* prepared);
};

// edgegather, the floor: every edge's target's state read once, in order,
// with the line asked for ahead. check: one in-order pass over the targets,
// each tested against n, the check the library makes. dfs: the textbook iterative three-colour
// depth-first search; kahn: the textbook in-degree queue; tarjan: the
// textbook iterative Tarjan. findgraphcycle, toporder, scc: the library's;
// sccof: the same graph through a lambda over adjacency lists.
extern const GraphKernel GRAPH_KERNELS[];
extern const size_t GRAPH_KERNEL_COUNT;
const GraphKernel& graphFloor();

// The peers found at build time: Boost's topological_sort and
// strong_components on an adjacency_list (bgl_topo, bgl_scc), igraph's
// igraph_is_dag with igraph_topological_sorting and its strong
// igraph_connected_components (igraph_topo, igraph_scc), LEMON's
// checkedTopologicalSort and stronglyConnectedComponents on a StaticDigraph
// (lemon_topo, lemon_scc). Each builds its own graph from the same edges.
extern const GraphKernel* const GRAPH_PEERS[];
extern const size_t GRAPH_PEER_COUNT;

// The textbook answers behind the dfs, kahn and tarjan kernels: whether g
// has a cycle, an order (empty for a cyclic graph), and the number of
// strongly connected components.
bool textbookHasCycle(const Graph& g);
size_t textbookOrderSize(const Graph& g);
uint64_t textbookComponents(const Graph& g);

#endif
