// acyclic.h alone: every member instantiated.
#include <cycle/acyclic.h>

#include <cstdint>
#include <vector>

uint64_t acyclicAlone(int32_t from, int32_t to) {
    cycle::AcyclicGraph<int32_t> graph(4);
    std::vector<int32_t> loop;
    const int32_t added = graph.addVertex();
    return graph.size() + static_cast<uint64_t>(added) + graph.addEdge(from, to) +
           graph.addEdge(to, from, loop) + loop.size() + graph.hasEdge(from, to) +
           graph.removeEdge(from, to) + graph.order().size();
}
