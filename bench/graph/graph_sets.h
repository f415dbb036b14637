// The directed graphs the graph rows run on, in compressed rows of uint32_t,
// made once per shape and size from a fixed seed.
#ifndef CYCLE_BENCH_GRAPH_SETS_H
#define CYCLE_BENCH_GRAPH_SETS_H

#include <cstdint>
#include <vector>

// v's successors are targets[offsets[v]] .. targets[offsets[v + 1] - 1];
// state is a byte a vertex for the floor to read.
struct Graph {
    uint64_t n = 0;
    std::vector<uint32_t> offsets;
    std::vector<uint32_t> targets;
    std::vector<uint8_t> state;
    uint64_t edges() const {
        return targets.size();
    }
};

// dag: a random DAG, 8 edges a vertex between random pairs, each edge from
// the lower to the higher of a random ranking, ids shuffled; dag_back: a
// dependency graph with mistakes in it, the same DAG with four short cycles
// planted at random ranks, each a forward path of 8 steps and the edge
// back; random: 8 edges a vertex between uniform random vertices, self-loops
// included (one giant component); rmat: the Graph500 Kronecker generator,
// A = 0.57, B = C = 0.19, 16 edges a vertex, ids shuffled; chain: one path
// through every vertex in shuffled order (depth n); grid: a square grid in
// row-major ids with edges right and down (long paths, wide fronts); wide:
// 64 layers, each vertex with 8 random successors in the next layer, ids
// shuffled (a shallow DAG with wide fronts); chain_dag: a chain through
// every vertex, ids shuffled, plus 7 edges a vertex between random pairs
// of its ranks, each forward along the chain (a commit graph).
enum GraphShape {
    GRAPH_DAG,
    GRAPH_DAG_BACK,
    GRAPH_RANDOM,
    GRAPH_RMAT,
    GRAPH_CHAIN,
    GRAPH_GRID,
    GRAPH_WIDE,
    GRAPH_CHAIN_DAG
};
const char* graphShapeName(GraphShape shape);

// The graph of shape with n vertices (a power of two; an even power for the
// grid); the same object until another shape or size is asked for (one
// graph is kept at a time).
const Graph& graph(GraphShape shape, uint64_t n);

// Calls visit(u, w) for every edge u -> w of g, row by row.
template <typename Visit> void forEachEdge(const Graph& g, Visit visit) {
    for (uint64_t u = 0; u < g.n; u++) {
        for (uint32_t e = g.offsets[u]; e < g.offsets[u + 1]; e++) {
            visit(u, g.targets[e]);
        }
    }
}

// Builds rows of n vertices from the edges (from[i], to[i]), in the order
// they are given within each row.
Graph rowsFromEdges(uint64_t n, const std::vector<uint32_t>& from, const std::vector<uint32_t>& to);

#endif
