// The base library's lock-order checker as a peer, through its public
// interface: a node for each vertex (GetId of an address of ours), then
// InsertEdge, which refuses an edge that would close a cycle.
#include "acyclic/acyclic_kernels.h"

#ifdef CYCLE_BENCH_HAVE_GRAPHCYCLES
#include <absl/synchronization/internal/graphcycles.h>

#include <vector>

namespace {

uint64_t graphCycles(const EdgeTrace& trace) {
    using absl::synchronization_internal::GraphCycles;
    using absl::synchronization_internal::GraphId;
    GraphCycles graph;
    std::vector<char> nodes(trace.n);
    std::vector<GraphId> id(trace.n);
    for (uint32_t v = 0; v < trace.n; v++) {
        id[v] = graph.GetId(&nodes[v]);
    }
    uint64_t accepted = 0;
    for (const auto& [from, to] : trace.edges) {
        accepted += from != to && graph.InsertEdge(id[from], id[to]) ? 1 : 0;
    }
    return accepted;
}

const AcyclicKernel GRAPHCYCLES{"graphcycles", graphCycles, uint32_t{1} << 30};

} // namespace

const AcyclicKernel* const ACYCLIC_PEERS[] = {&GRAPHCYCLES};
const size_t ACYCLIC_PEER_COUNT = 1;
#else
const AcyclicKernel* const ACYCLIC_PEERS[] = {nullptr};
const size_t ACYCLIC_PEER_COUNT = 0;
#endif
