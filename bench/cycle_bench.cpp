// Time per node of every cycle detector against the floor of a plain walk, on
// the same nodes, over list layouts, cycle shapes and sizes from L1-resident
// to DRAM, the sweep of cycle positions at one million nodes, and many lists
// checked at once. Single lists are named <kernel>/<layout>/<shape>/<n>, many
// lists many/<walk|each>/<layout>/<lists>/g<in flight>[/t2], the floor on
// 2 MiB pages against 4 KiB pages pages/<layout>/linear/<n>, short lists one
// at a time short/<kernel>/<layout>/<shape>/<n>, and the period of iterated
// functions period/<kernel>/<function>/<bits>, and whole mappings
// mapping/<kernel>/<shape>/<m>[/t2]; Google Benchmark
// adds /manual_time (or /iterations:1 when sampling to a target).
//
// Flags beside Google Benchmark's: --ci_target=<relative half-width> samples
// every row until its ratio's 95% interval is that tight, and
// --ci_max_time=<seconds> (default 10) caps the time one row may take.
#include "kernels.h"
#include "node_sets.h"
#include "timing.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <err.h>
#include <new>
#include <string>

namespace {

const Layout WARM[] = {{"sequential", false, false}, {"scattered", true, false}};
const Layout COLD[] = {{"sequential_cold", false, true}, {"scattered_cold", true, true}};
const int64_t SIZES[] = {1000, 10000, 100000, 1000000, 4000000};
const int64_t COLD_SIZES[] = {1000000, 4000000};
const int64_t SWEEP_SIZE = 1000000;
const ShapeKind KINDS[] = {SHAPE_LINEAR, SHAPE_HEAD, SHAPE_MIDDLE, SHAPE_SELF};
const int64_t LIST_COUNTS[] = {16, 1024, 65536};
const int64_t IN_FLIGHT[] = {1, 2, 4, 8, 16, 32, 64};
const int64_t TWO_THREADS_IN_FLIGHT[] = {8, 16, 32};
const int64_t SHORT_SIZES[] = {1, 2, 4, 8, 16, 32, 64, 128, 256, 512};
const ShortShape SHORT_SHAPES[] = {SHORT_LINEAR, SHORT_HEAD, SHORT_RANDOM, SHORT_MIXED,
                                   SHORT_MIXED_HEAD};
const int64_t FNPTR_SIZE = 1000000;

// The period rows: each function over these bit widths.
struct PeriodRow {
    FunctionKind kind;
    int bits;
};
const PeriodRow PERIOD_ROWS[] = {{FUNCTION_MIX, 32}, {FUNCTION_MIX, 40}, {FUNCTION_MIX, 48},
                                 {FUNCTION_RHO, 32}, {FUNCTION_RHO, 40}, {FUNCTION_SLOW, 32},
                                 {FUNCTION_SLOW, 40}};

// The mapping rows: every shape at these sizes; the Boost graph up to the
// largest that fits in 8 GiB.
const MapShape MAP_SHAPES[] = {MAP_RANDOM, MAP_PERMUTATION, MAP_FOREST, MAP_FOREST_LOOP, MAP_CHAIN};
const uint64_t MAP_SIZES[] = {uint64_t{1} << 10, uint64_t{1} << 14, uint64_t{1} << 18,
                              uint64_t{1} << 22, uint64_t{1} << 26};
const uint64_t BGL_MOST = uint64_t{1} << 22;

benchmark::internal::Benchmark* timed(benchmark::internal::Benchmark* benchmark) {
    benchmark->UseManualTime()->Unit(benchmark::kMicrosecond);
    if (sampling_plan.ci_target > 0) {
        benchmark->Iterations(1);
    }
    return benchmark;
}

// Registers every kernel on one layout, shape and size; the linear-only
// kernels on linear lists alone, and on cold layouts no visited set.
void registerRow(Layout layout, ListShape shape, int64_t n) {
    for (size_t i = 0; i < KERNEL_COUNT; i++) {
        const Kernel& kernel = KERNELS[i];
        bool fnptr = std::strcmp(kernel.name, "hascycle_fnptr") == 0;
        if ((kernel.linear_only && shape.kind != SHAPE_LINEAR) ||
            (layout.cold && std::strcmp(kernel.name, "hashset") == 0) ||
            (fnptr && (n != FNPTR_SIZE || shape.kind == SHAPE_SWEEP))) {
            continue;
        }
        std::string name = std::string(kernel.name) + "/" + layout.name + "/" + shapeName(shape) +
                           "/" + std::to_string(n);
        timed(benchmark::RegisterBenchmark(name.c_str(), runKernel, kernel, layout, shape, n));
    }
}

// The floor walk and the check for lists lists on layout, g in flight.
void registerMany(Layout layout, int64_t lists, int64_t in_flight, int threads) {
    for (bool check : {false, true}) {
        std::string name = std::string("many/") + (check ? "each/" : "walk/") + layout.name + "/" +
                           std::to_string(lists) + "/g" + std::to_string(in_flight) +
                           (threads == 2 ? "/t2" : "");
        timed(benchmark::RegisterBenchmark(name.c_str(), runMany, layout, lists, in_flight, threads,
                                           check));
    }
}

// The short-list rows: short/<kernel>/<layout>/<shape>/<n>.
void registerShort() {
    for (const Layout& layout : WARM) {
        for (ShortShape shape : SHORT_SHAPES) {
            for (int64_t n : SHORT_SIZES) {
                for (size_t i = 0; i < SHORT_KERNEL_COUNT; i++) {
                    if (SHORT_KERNELS[i].linear_only && !shortShapeLinear(shape)) {
                        continue;
                    }
                    std::string name = std::string("short/") + SHORT_KERNELS[i].name + "/" +
                                       layout.name + "/" + shortShapeName(shape) + "/" +
                                       std::to_string(n);
                    timed(benchmark::RegisterBenchmark(name.c_str(), runShort, SHORT_KERNELS[i],
                                                       layout, shape, n));
                }
            }
        }
    }
}

// The period rows: period/<kernel>/<function>/<bits>.
void registerPeriods() {
    for (const PeriodRow& row : PERIOD_ROWS) {
        for (size_t i = 0; i < PERIOD_KERNEL_COUNT; i++) {
            if (i == PERIOD_FLOOR) {
                continue; // the floor is every row's pair already
            }
            std::string name = std::string("period/") + PERIOD_KERNELS[i].name + "/" +
                               functionName(row.kind) + "/" + std::to_string(row.bits);
            timed(benchmark::RegisterBenchmark(name.c_str(), runPeriod, PERIOD_KERNELS[i], row.kind,
                                               row.bits));
        }
    }
}

// The mapping rows: mapping/<kernel>/<shape>/<m>, and /t2 on two threads
// for the kernels that take them.
void registerMappings() {
    for (uint64_t m : MAP_SIZES) {
        for (MapShape shape : MAP_SHAPES) {
            auto add = [&](const MapKernel& kernel, unsigned threads) {
                std::string name = std::string("mapping/") + kernel.name + "/" +
                                   mapShapeName(shape) + "/" + std::to_string(m) +
                                   (threads == 2 ? "/t2" : "");
                timed(benchmark::RegisterBenchmark(name.c_str(), runMapping, kernel, shape, m,
                                                   threads));
            };
            for (size_t i = 1; i < MAP_KERNEL_COUNT; i++) {
                add(MAP_KERNELS[i], 1);
                if (MAP_KERNELS[i].takes_threads) {
                    add(MAP_KERNELS[i], 2);
                }
            }
            if (mapBgl() != nullptr && m <= BGL_MOST) {
                add(*mapBgl(), 1);
            }
        }
    }
}

void registerAll() {
    for (int64_t n : SIZES) {
        for (const Layout& layout : WARM) {
            for (ShapeKind kind : KINDS) {
                registerRow(layout, ListShape{kind, 0}, n);
            }
        }
    }
    for (const Layout& layout : WARM) {
        for (int percent = 0; percent <= 100; percent += 10) {
            registerRow(layout, ListShape{SHAPE_SWEEP, percent}, SWEEP_SIZE);
        }
    }
    for (int64_t n : COLD_SIZES) {
        for (const Layout& layout : COLD) {
            for (ShapeKind kind : KINDS) {
                registerRow(layout, ListShape{kind, 0}, n);
            }
        }
    }
    for (int64_t n : COLD_SIZES) {
        for (const Layout& layout : COLD) {
            std::string name = std::string("pages/") + layout.name + "/linear/" + std::to_string(n);
            timed(benchmark::RegisterBenchmark(name.c_str(), runPages, layout, n));
        }
    }
    for (const Layout& layout : COLD) {
        for (int64_t lists : LIST_COUNTS) {
            for (int64_t in_flight : IN_FLIGHT) {
                registerMany(layout, lists, in_flight, 1);
            }
            for (int64_t in_flight : TWO_THREADS_IN_FLIGHT) {
                registerMany(layout, lists, in_flight, 2);
            }
        }
    }
    for (const Layout& layout : WARM) {
        for (int64_t in_flight : IN_FLIGHT) {
            registerMany(layout, 1024, in_flight, 1);
        }
        for (int64_t in_flight : TWO_THREADS_IN_FLIGHT) {
            registerMany(layout, 1024, in_flight, 2);
        }
    }
    registerShort();
    registerPeriods();
    registerMappings();
}

// Takes --ci_target and --ci_max_time out of argv, setting the sampling plan;
// exits with a message if a value is not a number in range.
void takeSamplingFlags(int& argc, char** argv) {
    sampling_plan = {0, 10};
    int kept = 1;
    for (int i = 1; i < argc; i++) {
        double* value = nullptr;
        const char* text = nullptr;
        if (std::strncmp(argv[i], "--ci_target=", 12) == 0) {
            value = &sampling_plan.ci_target;
            text = argv[i] + 12;
        } else if (std::strncmp(argv[i], "--ci_max_time=", 14) == 0) {
            value = &sampling_plan.ci_max_time;
            text = argv[i] + 14;
        } else {
            argv[kept++] = argv[i];
            continue;
        }
        char* end = nullptr;
        *value = std::strtod(text, &end);
        if (end == text || *end != '\0' || !(*value > 0)) {
            errx(1, "%s: expected a positive number", argv[i]);
        }
    }
    argc = kept;
}

} // namespace

int main(int argc, char** argv) {
    std::set_new_handler([] { errx(1, "out of memory"); });
    takeSamplingFlags(argc, argv);
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
