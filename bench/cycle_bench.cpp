// Time per node of every cycle detector against the floor of a plain walk, on
// the same nodes, over list layouts, cycle shapes and sizes from L1-resident
// to DRAM, and the sweep of cycle positions at one million nodes. Each
// benchmark is named <kernel>/<layout>/<shape>/<n>, to which Google Benchmark
// adds /manual_time.
#include "kernels.h"
#include "node_sets.h"
#include "timing.h"

#include <benchmark/benchmark.h>

#include <err.h>
#include <new>
#include <string>

namespace {

const Layout LAYOUTS[] = {{"sequential", false}, {"scattered", true}};
const int64_t SIZES[] = {1000, 10000, 100000, 1000000, 4000000};
const int64_t SWEEP_SIZE = 1000000;

// Registers every kernel on one layout, shape and size; the linear-only
// kernels on linear lists alone.
void registerRow(Layout layout, ListShape shape, int64_t n) {
    for (size_t i = 0; i < KERNEL_COUNT; i++) {
        const Kernel& kernel = KERNELS[i];
        if (kernel.linear_only && shape.kind != SHAPE_LINEAR) {
            continue;
        }
        std::string name = std::string(kernel.name) + "/" + layout.name + "/" + shapeName(shape) +
                           "/" + std::to_string(n);
        benchmark::RegisterBenchmark(name.c_str(), runKernel, kernel, layout, shape, n)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
}

void registerAll() {
    const ShapeKind kinds[] = {SHAPE_LINEAR, SHAPE_HEAD, SHAPE_MIDDLE, SHAPE_SELF};
    for (int64_t n : SIZES) {
        for (const Layout& layout : LAYOUTS) {
            for (ShapeKind kind : kinds) {
                registerRow(layout, ListShape{kind, 0}, n);
            }
        }
    }
    for (const Layout& layout : LAYOUTS) {
        for (int percent = 0; percent <= 100; percent += 10) {
            registerRow(layout, ListShape{SHAPE_SWEEP, percent}, SWEEP_SIZE);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    std::set_new_handler([] { errx(1, "out of memory"); });
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
