// The graph rows' shapes, each generated from a fixed seed.
#include "graph/graph_sets.h"

#include <algorithm>
#include <numeric>
#include <random>
#include <utility>

namespace {

// A fast generator for the hundreds of millions of draws of rmat.
struct XorShift {
    uint64_t s;
    uint64_t operator()() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
    uint32_t below(uint64_t bound) {
        return static_cast<uint32_t>(((*this)() >> 32) * bound >> 32);
    }
};

std::vector<uint32_t> shuffledIds(uint64_t n, XorShift& random) {
    std::vector<uint32_t> ids(n);
    std::iota(ids.begin(), ids.end(), 0);
    for (uint64_t i = n; i > 1; i--) {
        std::swap(ids[i - 1], ids[random.below(i)]);
    }
    return ids;
}

// per_vertex n edges between random pairs of ranks, each from the lower
// rank to the higher, ids[rank] naming the vertices.
void dagEdges(uint64_t n, uint64_t per_vertex, XorShift& random, const std::vector<uint32_t>& ids,
              std::vector<uint32_t>& from, std::vector<uint32_t>& to) {
    for (uint64_t i = 0; i < per_vertex * n; i++) {
        uint32_t a = random.below(n);
        uint32_t b = random.below(n);
        if (a == b) {
            continue;
        }
        if (a > b) {
            std::swap(a, b);
        }
        from.push_back(ids[a]);
        to.push_back(ids[b]);
    }
}

// Four cycles planted at random ranks of the DAG on ids: a forward path of
// PLANTED_STEPS edges along the ranking, then the edge back to its start.
constexpr uint64_t PLANTED_CYCLES = 4;
constexpr uint64_t PLANTED_STEPS = 8;

void plantCycles(uint64_t n, XorShift& random, const std::vector<uint32_t>& ids,
                 std::vector<uint32_t>& from, std::vector<uint32_t>& to) {
    for (uint64_t c = 0; c < PLANTED_CYCLES; c++) {
        const uint64_t first = random.below(n - PLANTED_STEPS);
        for (uint64_t i = first; i < first + PLANTED_STEPS; i++) {
            from.push_back(ids[i]);
            to.push_back(ids[i + 1]);
        }
        from.push_back(ids[first + PLANTED_STEPS]);
        to.push_back(ids[first]);
    }
}

// The Graph500 Kronecker generator: each edge picks a quadrant at each of
// log2 n levels, A = 0.57, B = C = 0.19.
void rmatEdges(uint64_t n, XorShift& random, std::vector<uint32_t>& from,
               std::vector<uint32_t>& to) {
    int scale = 0;
    while ((uint64_t{1} << scale) < n) {
        scale++;
    }
    const uint32_t a = static_cast<uint32_t>(0.57 * 4294967296.0);
    const uint32_t ab = static_cast<uint32_t>(0.76 * 4294967296.0);
    const uint32_t abc = static_cast<uint32_t>(0.95 * 4294967296.0);
    const std::vector<uint32_t> ids = shuffledIds(n, random);
    for (uint64_t i = 0; i < 16 * n; i++) {
        uint32_t u = 0;
        uint32_t v = 0;
        for (int level = 0; level < scale; level++) {
            const uint32_t draw = static_cast<uint32_t>(random() >> 32);
            const uint32_t row = draw >= ab;
            const uint32_t column = (draw >= a && draw < ab) || draw >= abc;
            u = u << 1 | row;
            v = v << 1 | column;
        }
        from.push_back(ids[u]);
        to.push_back(ids[v]);
    }
}

// wide's layers.
constexpr uint64_t WIDE_LAYERS = 64;

Graph makeGraph(GraphShape shape, uint64_t n) {
    // dag_back is dag's graph with the cycles added: the same seed.
    const uint64_t seeded = shape == GRAPH_DAG_BACK ? GRAPH_DAG : shape;
    XorShift random{0x9e3779b97f4a7c15ull ^ (n * 8 + seeded)};
    std::vector<uint32_t> from;
    std::vector<uint32_t> to;
    switch (shape) {
    case GRAPH_DAG:
    case GRAPH_DAG_BACK: {
        const std::vector<uint32_t> ids = shuffledIds(n, random);
        dagEdges(n, 8, random, ids, from, to);
        if (shape == GRAPH_DAG_BACK) {
            plantCycles(n, random, ids, from, to);
        }
        break;
    }
    case GRAPH_WIDE: {
        const std::vector<uint32_t> ids = shuffledIds(n, random);
        const uint64_t layer = n / WIDE_LAYERS;
        for (uint64_t i = 0; i + layer < n; i++) {
            const uint64_t next = (i / layer + 1) * layer;
            for (int k = 0; k < 8; k++) {
                from.push_back(ids[i]);
                to.push_back(ids[next + random.below(layer)]);
            }
        }
        break;
    }
    case GRAPH_CHAIN_DAG: {
        const std::vector<uint32_t> ids = shuffledIds(n, random);
        for (uint64_t i = 0; i + 1 < n; i++) {
            from.push_back(ids[i]);
            to.push_back(ids[i + 1]);
        }
        dagEdges(n, 7, random, ids, from, to);
        break;
    }
    case GRAPH_RANDOM:
        for (uint64_t i = 0; i < 8 * n; i++) {
            from.push_back(random.below(n));
            to.push_back(random.below(n));
        }
        break;
    case GRAPH_RMAT:
        rmatEdges(n, random, from, to);
        break;
    case GRAPH_CHAIN: {
        const std::vector<uint32_t> ids = shuffledIds(n, random);
        for (uint64_t i = 0; i + 1 < n; i++) {
            from.push_back(ids[i]);
            to.push_back(ids[i + 1]);
        }
        break;
    }
    case GRAPH_GRID: {
        uint64_t side = 1;
        while (side * side < n) {
            side++;
        }
        for (uint64_t v = 0; v < n; v++) {
            if ((v + 1) % side != 0) {
                from.push_back(static_cast<uint32_t>(v));
                to.push_back(static_cast<uint32_t>(v + 1));
            }
            if (v + side < n) {
                from.push_back(static_cast<uint32_t>(v));
                to.push_back(static_cast<uint32_t>(v + side));
            }
        }
        break;
    }
    }
    return rowsFromEdges(n, from, to);
}

} // namespace

Graph rowsFromEdges(uint64_t n, const std::vector<uint32_t>& from,
                    const std::vector<uint32_t>& to) {
    Graph g;
    g.n = n;
    g.offsets.assign(n + 1, 0);
    for (uint32_t u : from) {
        g.offsets[u + 1]++;
    }
    for (uint64_t v = 0; v < n; v++) {
        g.offsets[v + 1] += g.offsets[v];
    }
    std::vector<uint32_t> fill(g.offsets.begin(), g.offsets.end() - 1);
    g.targets.resize(from.size());
    for (size_t i = 0; i < from.size(); i++) {
        g.targets[fill[from[i]]++] = to[i];
    }
    g.state.assign(n, 1);
    return g;
}

const char* graphShapeName(GraphShape shape) {
    static const char* const NAMES[] = {"dag",   "dag_back", "random", "rmat",
                                        "chain", "grid",     "wide",   "chain_dag"};
    return NAMES[shape];
}

const Graph& graph(GraphShape shape, uint64_t n) {
    static Graph kept;
    static int kept_shape = -1;
    if (kept_shape != static_cast<int>(shape) || kept.n != n) {
        kept = Graph();
        kept = makeGraph(shape, n);
        kept_shape = static_cast<int>(shape);
    }
    return kept;
}
