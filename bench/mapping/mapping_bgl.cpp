// The Boost Graph Library's strongly connected components on the mapping, as
// a graph user would run them: an adjacency_list built from the table (timed
// apart), then strong_components. A component of more than one vertex, or a
// vertex with an edge to itself, is a cycle.
#include "mapping/mapping_kernels.h"

#ifdef CYCLE_BENCH_HAVE_BGL
#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/strong_components.hpp>

#include <chrono>
#include <vector>

static MapFound bgl(const uint32_t* next, uint64_t m, unsigned, double* build_ns) {
    using Graph = boost::adjacency_list<boost::vecS, boost::vecS, boost::directedS>;
    auto begin = std::chrono::steady_clock::now();
    Graph graph(m);
    for (uint64_t i = 0; i < m; i++) {
        if (next[i] < m) {
            boost::add_edge(i, next[i], graph);
        }
    }
    if (build_ns != nullptr) {
        *build_ns =
            std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - begin)
                .count();
    }
    std::vector<uint64_t> component(m);
    const uint64_t components = boost::strong_components(graph, component.data());
    std::vector<uint64_t> size(components, 0);
    for (uint64_t c : component) {
        size[c]++;
    }
    MapFound found{0, 0};
    for (uint64_t c = 0; c < components; c++) {
        if (size[c] > 1) {
            found.cycles++;
            found.on_cycles += size[c];
        }
    }
    for (uint64_t i = 0; i < m; i++) {
        if (next[i] == i) {
            found.cycles++;
            found.on_cycles++;
        }
    }
    return found;
}

static const MapKernel BGL = {"bgl", bgl, false};

const MapKernel* mapBgl() {
    return &BGL;
}
#else
const MapKernel* mapBgl() {
    return nullptr;
}
#endif
