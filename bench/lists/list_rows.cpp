// The single-list rows: every kernel of the table on one list of n nodes,
// <kernel>/<layout>/<shape>/<n>, over sizes from L1-resident to DRAM, warm
// and cold, the sweep of cycle positions at 1M nodes, and the floor on
// 2 MiB pages against 4 KiB pages, pages/<layout>/linear/<n>.
#include "lists/list_rows.h"
#include "common/node_sets.h"
#include "common/rounds.h"
#include "lists/list_kernels.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const int64_t SIZES[] = {1000, 10000, 100000, 1000000, 4000000};
const int64_t COLD_SIZES[] = {1000000, 4000000};
const int64_t SWEEP_SIZE = 1000000;
const ShapeKind KINDS[] = {SHAPE_LINEAR, SHAPE_HEAD, SHAPE_MIDDLE, SHAPE_SELF};

// Relinks order into the shape, untimed, flushes it if the layout is cold,
// then times one call of detect; right if it gave the expected verdict.
double timeCall(int (*detect)(BenchList, NoCounts&), const std::vector<Node*>& order, Layout layout,
                int64_t target, bool& right) {
    BenchList list = linkShape(order, target);
    if (layout.cold) {
        flushNodes(order);
    }
    NoCounts none;
    Clock::time_point start = Clock::now();
    int cyclic = detect(list, none);
    double ns = nanosecondsSince(start);
    benchmark::DoNotOptimize(cyclic);
    right = right && cyclic == (target >= 0 ? 1 : 0);
    return ns;
}

// Runs kernel on the size-n node set linked in layout's order into shape.
// Every call, of the kernel or of the traverse floor it is paired with in each
// round, starts from a list just relinked (and flushed, if the layout is
// cold), untimed; the kernel's call alone is the iteration's time (manual
// time). Counters: ns_per_node and floor_ns_per_node (medians over rounds),
// floor_ratio (the median of the per-round ratios of kernel to floor), each
// median with _lo and _hi (its 95% interval), rounds, outlier_rounds,
// ci_met when sampling to a target, anon_huge_kib, and, from one untimed
// counting run of the same code, moves_per_node, chain_per_node,
// writes_per_node and stack_peak. A wrong verdict fails the benchmark.
void runKernel(benchmark::State& state, Kernel kernel, Layout layout, ListShape shape, int64_t n) {
    const std::vector<Node*>& order = linkOrder(n, layout);
    int64_t target = tailTarget(shape, n);

    StepCounts counts;
    if (kernel.count(linkShape(order, target), counts) != (target >= 0 ? 1 : 0)) {
        state.SkipWithError("wrong verdict in the counting run");
        return;
    }
    sampleRounds(
        state, everyRound(static_cast<double>(n)),
        [&](bool& right) { return timeCall(kernel.detect, order, layout, target, right); },
        [&](bool& right) { return timeCall(traverse, order, layout, target, right); });

    double nodes = static_cast<double>(n);
    state.counters["moves_per_node"] = static_cast<double>(counts.moves) / nodes;
    state.counters["chain_per_node"] = static_cast<double>(counts.chain) / nodes;
    state.counters["writes_per_node"] = static_cast<double>(counts.writes) / nodes;
    state.counters["stack_peak"] = static_cast<double>(counts.stack_peak);
}

// The cost of the page walks: the traverse floor on the size-n node set in
// layout's order on 2 MiB pages, paired round by round with the same walk
// on the same permutation of the 4 KiB-page set (the floor of every other
// row), both relinked as a linear list (and flushed, if cold). floor_ratio
// is then huge-page time over 4 KiB time, and anon_huge_kib shows whether
// the huge pages took.
void runPages(benchmark::State& state, Layout layout, int64_t n) {
    const std::vector<Node*>& small = linkOrder(n, layout);
    const std::vector<Node*>& huge = hugeLinkOrder(n, layout);
    sampleRounds(
        state, everyRound(static_cast<double>(n)),
        [&](bool& right) { return timeCall(traverse, huge, layout, -1, right); },
        [&](bool& right) { return timeCall(traverse, small, layout, -1, right); });
}

// Registers every kernel on one layout, shape and size; the linear-only
// kernels on linear lists alone, and each kernel where its table entry
// says it is measured.
void registerKernels(Layout layout, ListShape shape, int64_t n) {
    for (size_t i = 0; i < KERNEL_COUNT; i++) {
        const Kernel& kernel = KERNELS[i];
        if ((kernel.linear_only && shape.kind != SHAPE_LINEAR) ||
            (kernel.warm_only && layout.cold) ||
            (kernel.only_n != 0 && (n != kernel.only_n || shape.kind == SHAPE_SWEEP))) {
            continue;
        }
        std::string name = std::string(kernel.name) + "/" + layout.name + "/" + shapeName(shape) +
                           "/" + std::to_string(n);
        registerRow(name, runKernel, kernel, layout, shape, n);
    }
}

} // namespace

void registerListRows() {
    for (int64_t n : SIZES) {
        for (const Layout& layout : WARM) {
            for (ShapeKind kind : KINDS) {
                registerKernels(layout, ListShape{kind, 0}, n);
            }
        }
    }
    for (const Layout& layout : WARM) {
        for (int percent = 0; percent <= 100; percent += 10) {
            registerKernels(layout, ListShape{SHAPE_SWEEP, percent}, SWEEP_SIZE);
        }
    }
    for (int64_t n : COLD_SIZES) {
        for (const Layout& layout : COLD) {
            for (ShapeKind kind : KINDS) {
                registerKernels(layout, ListShape{kind, 0}, n);
            }
        }
    }
    for (int64_t n : COLD_SIZES) {
        for (const Layout& layout : COLD) {
            std::string name = std::string("pages/") + layout.name + "/linear/" + std::to_string(n);
            registerRow(name, runPages, layout, n);
        }
    }
}
