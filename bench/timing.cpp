#include "timing.h"

#include <chrono>

void runKernel(benchmark::State& state, Kernel kernel, Layout layout, ListShape shape, int64_t n) {
    const std::vector<Node*>& order = linkOrder(n, layout);
    int64_t target = tailTarget(shape, n);
    int expected = target >= 0 ? 1 : 0;

    StepCounts counts;
    if (kernel.count(linkShape(order, target), counts) != expected) {
        state.SkipWithError("wrong verdict in the counting run");
        return;
    }

    double timed_ns = 0;
    for (auto _ : state) {
        BenchList list = linkShape(order, target);
        NoCounts none;
        auto start = std::chrono::steady_clock::now();
        int cyclic = kernel.detect(list, none);
        auto end = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(cyclic);
        std::chrono::duration<double, std::nano> elapsed = end - start;
        state.SetIterationTime(elapsed.count() * 1e-9);
        timed_ns += elapsed.count();
        if (cyclic != expected) {
            state.SkipWithError("wrong verdict");
            break;
        }
    }

    double nodes = static_cast<double>(n);
    state.counters["ns_per_node"] = timed_ns / (static_cast<double>(state.iterations()) * nodes);
    state.counters["moves_per_node"] = static_cast<double>(counts.moves) / nodes;
    state.counters["chain_per_node"] = static_cast<double>(counts.chain) / nodes;
    state.counters["writes_per_node"] = static_cast<double>(counts.writes) / nodes;
    state.counters["stack_peak"] = static_cast<double>(counts.stack_peak);
}
