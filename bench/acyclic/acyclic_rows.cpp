// The acyclic rows: acyclic/<kernel>/<workload>/<n>, each way of keeping a
// graph acyclic while its edges arrive, paired round by round with the
// floor that stores the same edges and checks nothing.
#include "acyclic/acyclic_rows.h"
#include "acyclic/acyclic_kernels.h"
#include "acyclic/acyclic_sets.h"
#include "common/rounds.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>

namespace {

const AcyclicWorkload ACYCLIC_WORKLOADS[] = {RANDOM_DAG, MIXED, REVERSE_CHAIN, LOCK_ORDER};
const uint32_t ACYCLIC_SIZES[] = {uint32_t{1} << 10, uint32_t{1} << 14, uint32_t{1} << 18};
// A chain added from its far end moves about n / 2 vertices an edge for
// every kernel, and a random graph's edges search a share of it: both are
// quadratic, so they stop where a round would take minutes.
const uint32_t LARGEST_QUADRATIC = uint32_t{1} << 14;

// The edges accepted of each trace: the textbook's count where it runs,
// else the library's (the tests hold the two to each other).
uint64_t acceptedTruth(AcyclicWorkload workload, uint32_t n) {
    static std::map<std::pair<int, uint32_t>, uint64_t> truths;
    return rememberedTruth(truths, std::make_pair(static_cast<int>(workload), n),
                           [=](const std::pair<int, uint32_t>&) {
                               const AcyclicKernel& truth = n <= ACYCLIC_KERNELS[1].largest_n
                                                                ? ACYCLIC_KERNELS[1]
                                                                : ACYCLIC_KERNELS[2];
                               return truth.run(edgeTrace(workload, n));
                           });
}

// Runs kernel over the trace of workload on n vertices, paired round by
// round with the floor on the same trace. ns_per_edge and
// floor_ns_per_edge are per addEdge, the graph's construction included;
// edges counts the calls and refused the share of them refused. A count of
// accepted edges other than the truth's fails the row.
void runAcyclic(benchmark::State& state, AcyclicKernel kernel, AcyclicWorkload workload,
                uint32_t n) {
    const EdgeTrace& trace = edgeTrace(workload, n);
    const uint64_t truth = acceptedTruth(workload, n);
    auto call = [&](const AcyclicKernel& timed, bool& right, bool floor) {
        Clock::time_point begin = Clock::now();
        const uint64_t accepted = timed.run(trace);
        const double ns = nanosecondsSince(begin);
        benchmark::DoNotOptimize(accepted);
        right = right && (floor || accepted == truth);
        return ns;
    };
    const double edges = static_cast<double>(trace.edges.size());
    sampleRounds(
        state, everyRound(edges), [&](bool& right) { return call(kernel, right, false); },
        [&](bool& right) { return call(ACYCLIC_KERNELS[0], right, true); }, "ns_per_edge");
    state.counters["edges"] = edges;
    state.counters["refused"] = 1 - static_cast<double>(truth) / edges;
}

} // namespace

// The acyclic rows: acyclic/<kernel>/<workload>/<n> for every kernel but
// the floor and every peer found, at every size it is run at.
void registerAcyclicRows() {
    for (uint32_t n : ACYCLIC_SIZES) {
        for (AcyclicWorkload workload : ACYCLIC_WORKLOADS) {
            if ((workload == REVERSE_CHAIN || workload == MIXED) && n > LARGEST_QUADRATIC) {
                continue;
            }
            auto add = [&](const AcyclicKernel& kernel) {
                if (n > kernel.largest_n) {
                    return;
                }
                registerRow(std::string("acyclic/") + kernel.name + "/" +
                                acyclicWorkloadName(workload) + "/" + std::to_string(n),
                            runAcyclic, kernel, workload, n);
            };
            for (size_t i = 1; i < ACYCLIC_KERNEL_COUNT; i++) {
                add(ACYCLIC_KERNELS[i]);
            }
            for (size_t i = 0; i < ACYCLIC_PEER_COUNT; i++) {
                add(*ACYCLIC_PEERS[i]);
            }
        }
    }
}
