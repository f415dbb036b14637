#include "timing.h"

#include "bench_detectors.h"

#include <algorithm>
#include <chrono>
#include <vector>

// One timed call: its nanoseconds and its verdict.
struct TimedCall {
    double ns;
    int cyclic;
};

// Relinks order into the shape, untimed, then times one call of detect alone.
static TimedCall timeCall(int (*detect)(BenchList, NoCounts&), const std::vector<Node*>& order,
                          int64_t target) {
    BenchList list = linkShape(order, target);
    NoCounts none;
    auto start = std::chrono::steady_clock::now();
    int cyclic = detect(list, none);
    auto end = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(cyclic);
    return {std::chrono::duration<double, std::nano>(end - start).count(), cyclic};
}

static double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void runKernel(benchmark::State& state, Kernel kernel, Layout layout, ListShape shape, int64_t n) {
    const std::vector<Node*>& order = linkOrder(n, layout);
    int64_t target = tailTarget(shape, n);
    int expected = target >= 0 ? 1 : 0;

    StepCounts counts;
    if (kernel.count(linkShape(order, target), counts) != expected) {
        state.SkipWithError("wrong verdict in the counting run");
        return;
    }

    // Each iteration is a round of the kernel and the floor on the same list,
    // in alternating order, so that their ratio compares two calls made
    // moments apart, whatever the machine was doing meanwhile.
    double kernel_ns = 0;
    double floor_ns = 0;
    std::vector<double> ratios;
    for (auto _ : state) {
        bool floor_first = ratios.size() % 2 == 0;
        TimedCall floor_call{0, 0};
        if (floor_first) {
            floor_call = timeCall(traverse, order, target);
        }
        TimedCall call = timeCall(kernel.detect, order, target);
        if (!floor_first) {
            floor_call = timeCall(traverse, order, target);
        }
        state.SetIterationTime(call.ns * 1e-9);
        if (call.cyclic != expected || floor_call.cyclic != expected) {
            state.SkipWithError("wrong verdict");
            break;
        }
        kernel_ns += call.ns;
        floor_ns += floor_call.ns;
        ratios.push_back(call.ns / floor_call.ns);
    }
    if (ratios.empty()) {
        return;
    }

    double calls_by_nodes = static_cast<double>(ratios.size()) * static_cast<double>(n);
    double nodes = static_cast<double>(n);
    state.counters["ns_per_node"] = kernel_ns / calls_by_nodes;
    state.counters["floor_ns_per_node"] = floor_ns / calls_by_nodes;
    state.counters["floor_ratio"] = median(ratios);
    state.counters["moves_per_node"] = static_cast<double>(counts.moves) / nodes;
    state.counters["chain_per_node"] = static_cast<double>(counts.chain) / nodes;
    state.counters["writes_per_node"] = static_cast<double>(counts.writes) / nodes;
    state.counters["stack_peak"] = static_cast<double>(counts.stack_peak);
}
