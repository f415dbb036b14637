// Time per node of every cycle detector against the floor of a plain walk, on
// the same nodes, over list layouts, cycle shapes and sizes from L1-resident
// to DRAM, the sweep of cycle positions at one million nodes, and many lists
// checked at once. Single lists are named <kernel>/<layout>/<shape>/<n>, many
// lists many/<walk|each>/<layout>/<lists>/g<in flight>[/t2], the floor on
// 2 MiB pages against 4 KiB pages pages/<layout>/linear/<n>, short lists one
// at a time short/<kernel>/<layout>/<shape>/<n>, and the period of iterated
// functions period/<kernel>/<function>/<bits>, and whole mappings
// mapping/<kernel>/<shape>/<m>[/t2], directed graphs
// graph/<kernel>/<shape>/<n>, and graphs kept acyclic edge by edge
// acyclic/<kernel>/<workload>/<n>; Google Benchmark
// adds /manual_time (or /iterations:1 when sampling to a target).
//
// Flags beside Google Benchmark's: --ci_target=<relative half-width> samples
// every row until its ratio's 95% interval is that tight,
// --ci_max_time=<seconds> (default 10) caps the time one row may take, and
// --progress=<stage> reports, under that name, how far the run has come on
// standard error every few seconds.
#include "acyclic/acyclic_rows.h"
#include "collision/collision_rows.h"
#include "common/rounds.h"
#include "graph/graph_rows.h"
#include "lists/list_rows.h"
#include "many/many_rows.h"
#include "mapping/mapping_rows.h"
#include "period/period_rows.h"
#include "short/short_rows.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <err.h>
#include <new>
#include <string>

namespace {

// Takes --ci_target, --ci_max_time and --progress out of argv, setting the
// sampling plan and stage; notes --benchmark_repetitions in repetitions,
// leaving it to Google Benchmark. Exits with a message if a value is not a
// number in range.
void takeOwnFlags(int& argc, char** argv, std::string& stage, int& repetitions) {
    sampling_plan = {0, 10};
    int kept = 1;
    for (int i = 1; i < argc; i++) {
        double* value = nullptr;
        const char* text = nullptr;
        if (std::strncmp(argv[i], "--benchmark_repetitions=", 24) == 0) {
            repetitions = std::atoi(argv[i] + 24);
        }
        if (std::strncmp(argv[i], "--progress=", 11) == 0) {
            stage = argv[i] + 11;
            continue;
        }
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
    std::string stage;
    int repetitions = 1;
    takeOwnFlags(argc, argv, stage, repetitions);
    registerListRows();
    registerManyRows();
    registerShortRows();
    registerPeriodRows();
    registerMappingRows();
    registerGraphRows();
    registerAcyclicRows();
    registerCollisionRows();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    if (!stage.empty() && !startProgress(stage, benchmark::GetBenchmarkFilter(), repetitions)) {
        errx(1, "--benchmark_filter: not a regular expression");
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
