// The graph rows: graph/<kernel>/<shape>/<n>, each way of answering a
// directed graph's three questions, paired with the edgegather floor that
// reads every edge's target's state once.
#include "graph/graph_rows.h"
#include "common/heap_peak.h"
#include "common/rounds.h"
#include "graph/graph_kernels.h"
#include "graph/graph_sets.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

const GraphShape GRAPH_SHAPES[] = {GRAPH_DAG,   GRAPH_DAG_BACK, GRAPH_RANDOM, GRAPH_RMAT,
                                   GRAPH_CHAIN, GRAPH_GRID,     GRAPH_WIDE,   GRAPH_CHAIN_DAG};
const uint64_t GRAPH_SIZES[] = {uint64_t{1} << 10, uint64_t{1} << 14, uint64_t{1} << 18,
                                uint64_t{1} << 22};
// The chain alone goes deeper.
const uint64_t DEEPEST_CHAIN = uint64_t{1} << 24;

struct GraphTruth {
    bool acyclic;
    uint64_t components;
};

// The truth of each graph, from the textbook searches, found once.
GraphTruth graphTruth(GraphShape shape, uint64_t n) {
    static std::map<std::pair<int, uint64_t>, GraphTruth> truths;
    return rememberedTruth(truths, std::make_pair(static_cast<int>(shape), n),
                           [=](const std::pair<int, uint64_t>&) {
                               const Graph& g = graph(shape, n);
                               return GraphTruth{!textbookHasCycle(g), textbookComponents(g)};
                           });
}

bool answersRightly(const GraphKernel& kernel, const GraphFound& found, const GraphTruth& truth) {
    switch (kernel.question) {
    case ASKS_CYCLE:
    case ASKS_ORDER:
        return found.acyclic == truth.acyclic;
    case ASKS_COMPONENTS:
        return found.components == truth.components;
    case ASKS_NOTHING:
        break;
    }
    return true;
}

// Runs kernel on the graph of shape with n vertices, paired round by round
// with the floor on the same graph. ns_per_edge and floor_ns_per_edge are
// per edge; build_ns_per_edge, for a kernel that builds a graph of its own
// first, is that build, timed once and never counted in ns_per_edge; edges
// and components are the graph's, from the textbook searches, which every
// kernel's answer must match. peak_kib is the most the kernel's own graph
// and its first call held from malloc at once, beyond what was held before.
void runGraph(benchmark::State& state, GraphKernel kernel, GraphShape shape, uint64_t n) {
    const GraphTruth truth = graphTruth(shape, n);
    const Graph& g = graph(shape, n);
    const int64_t before = heapPeakReset();
    void* prepared = nullptr;
    double build_ns = 0;
    if (kernel.prepare != nullptr) {
        Clock::time_point begin = Clock::now();
        prepared = kernel.prepare(g);
        build_ns = nanosecondsSince(begin);
    }
    benchmark::DoNotOptimize(kernel.run(g, prepared));
    const double peak_kib = static_cast<double>(heapPeak() - before) / 1024;
    auto call = [&](const GraphKernel& timed, const void* given, bool& right) {
        Clock::time_point begin = Clock::now();
        const GraphFound found = timed.run(g, given);
        const double ns = nanosecondsSince(begin);
        benchmark::DoNotOptimize(found);
        right = right && answersRightly(timed, found, truth);
        return ns;
    };
    const double edges = static_cast<double>(g.edges());
    sampleRounds(
        state, everyRound(edges), [&](bool& right) { return call(kernel, prepared, right); },
        [&](bool& right) { return call(graphFloor(), nullptr, right); }, "ns_per_edge");
    if (prepared != nullptr) {
        kernel.release(prepared);
        state.counters["build_ns_per_edge"] = build_ns / edges;
    }
    if (heapCounted()) {
        state.counters["peak_kib"] = peak_kib;
    }
    state.counters["edges"] = edges;
    state.counters["components"] = static_cast<double>(truth.components);
}

} // namespace

// The graph rows: graph/<kernel>/<shape>/<n> for every kernel but the floor
// and every peer found, at every size, and the chain once more at 2^24.
void registerGraphRows() {
    auto addAll = [](GraphShape shape, uint64_t n) {
        auto add = [&](const GraphKernel& kernel) {
            registerRow(std::string("graph/") + kernel.name + "/" + graphShapeName(shape) + "/" +
                            std::to_string(n),
                        runGraph, kernel, shape, n);
        };
        for (size_t i = 1; i < GRAPH_KERNEL_COUNT; i++) {
            add(GRAPH_KERNELS[i]);
        }
        for (size_t i = 0; i < GRAPH_PEER_COUNT; i++) {
            add(*GRAPH_PEERS[i]);
        }
    };
    for (uint64_t n : GRAPH_SIZES) {
        for (GraphShape shape : GRAPH_SHAPES) {
            addAll(shape, n);
        }
    }
    addAll(GRAPH_CHAIN, DEEPEST_CHAIN);
}
