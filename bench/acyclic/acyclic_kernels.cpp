#include "acyclic/acyclic_kernels.h"

#include "cycle/acyclic.h"

#include <algorithm>
#include <vector>

namespace {

uint64_t storeEdges(const EdgeTrace& trace) {
    std::vector<std::vector<uint32_t>> out(trace.n);
    for (const auto& [from, to] : trace.edges) {
        out[from].push_back(to);
    }
    return trace.edges.size();
}

// What a user writes first: adjacency lists, a scan of from's list for a
// repeat, and a depth-first search from to for from before each new edge,
// its visits marked by a stamp so that nothing is cleared between searches.
uint64_t recheck(const EdgeTrace& trace) {
    std::vector<std::vector<uint32_t>> out(trace.n);
    std::vector<uint32_t> mark(trace.n, 0);
    std::vector<uint32_t> stack;
    uint32_t stamp = 0;
    uint64_t accepted = 0;
    for (const auto& [from, to] : trace.edges) {
        if (from == to) {
            continue;
        }
        std::vector<uint32_t>& successors = out[from];
        if (std::find(successors.begin(), successors.end(), to) != successors.end()) {
            accepted++;
            continue;
        }
        stamp++;
        bool closes = false;
        stack.assign(1, to);
        mark[to] = stamp;
        while (!stack.empty() && !closes) {
            const uint32_t v = stack.back();
            stack.pop_back();
            for (const uint32_t w : out[v]) {
                if (w == from) {
                    closes = true;
                    break;
                }
                if (mark[w] != stamp) {
                    mark[w] = stamp;
                    stack.push_back(w);
                }
            }
        }
        if (!closes) {
            successors.push_back(to);
            accepted++;
        }
    }
    return accepted;
}

uint64_t acyclicGraph(const EdgeTrace& trace) {
    cycle::AcyclicGraph<uint32_t> graph(trace.n);
    uint64_t accepted = 0;
    for (const auto& [from, to] : trace.edges) {
        accepted += graph.addEdge(from, to) ? 1 : 0;
    }
    return accepted;
}

} // namespace

const AcyclicKernel ACYCLIC_KERNELS[] = {
    {"store", storeEdges, uint32_t{1} << 30},
    {"recheck", recheck, uint32_t{1} << 14},
    {"acyclicgraph", acyclicGraph, uint32_t{1} << 30},
};
const size_t ACYCLIC_KERNEL_COUNT = sizeof(ACYCLIC_KERNELS) / sizeof(ACYCLIC_KERNELS[0]);
