// The period rows: period/<kernel>/<function>/<bits>, each way of finding
// where an iterated function's sequence repeats, paired with the floor
// that iterates f mu + lambda times from the same start.
#include "period/period_rows.h"
#include "common/rounds.h"
#include "period/period_kernels.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The period rows: each function over these bit widths.
struct PeriodRow {
    FunctionKind kind;
    int bits;
};
const PeriodRow PERIOD_ROWS[] = {{FUNCTION_MIX, 32}, {FUNCTION_MIX, 40}, {FUNCTION_MIX, 48},
                                 {FUNCTION_RHO, 32}, {FUNCTION_RHO, 40}, {FUNCTION_SLOW, 32},
                                 {FUNCTION_SLOW, 40}};

// The starts of a period row, and the truth for each, from the textbook
// Brent's method: found once per function, bits and start.
const PeriodFound& periodTruth(FunctionKind kind, int bits, uint64_t start) {
    static std::map<std::tuple<int, int, uint64_t>, PeriodFound> truths;
    return rememberedTruth(truths, std::make_tuple(static_cast<int>(kind), bits, start),
                           [=](const std::tuple<int, int, uint64_t>&) {
                               return PERIOD_KERNELS[PERIOD_BRENT].run(kind, bits, start, 0,
                                                                       nullptr);
                           });
}

const uint64_t PERIOD_STARTS[] = {1, 2718281828, 3141592653};

// Runs kernel, one that finds periods (not the floor), on the function of
// kind over bits-bit values from each of a few starts in turn, paired round
// by round with the floor (f iterated mu + lambda times from the same
// start). ns_per_value and
// floor_ns_per_value are per value of the sequence, the benchmark's own time
// per call; calls_per_value, mu and lambda are medians over the starts. A
// wrong period fails the benchmark.
void runPeriod(benchmark::State& state, PeriodKernel kernel, FunctionKind kind, int bits) {
    std::vector<double> calls_per_value;
    std::vector<double> mus;
    std::vector<double> lambdas;
    for (uint64_t start : PERIOD_STARTS) {
        const PeriodFound& truth = periodTruth(kind, bits, start);
        int64_t calls = 0;
        int64_t values = truth.mu + truth.lambda;
        PeriodFound found = kernel.run(kind, bits, start, values, &calls);
        if (found.mu != truth.mu || found.lambda != truth.lambda || found.entry != truth.entry) {
            state.SkipWithError("wrong period in the counting run");
            return;
        }
        calls_per_value.push_back(static_cast<double>(calls) / static_cast<double>(values));
        mus.push_back(static_cast<double>(truth.mu));
        lambdas.push_back(static_cast<double>(truth.lambda));
    }
    // Each round takes the next start; the counters are per value of its
    // sequence.
    const size_t starts = sizeof(PERIOD_STARTS) / sizeof(PERIOD_STARTS[0]);
    uint64_t start = PERIOD_STARTS[0];
    auto values_of = [&](size_t round) {
        start = PERIOD_STARTS[round % starts];
        const PeriodFound& truth = periodTruth(kind, bits, start);
        return static_cast<double>(truth.mu + truth.lambda);
    };
    auto call = [&](const PeriodKernel& timed, bool& right, bool floor) {
        const PeriodFound& truth = periodTruth(kind, bits, start);
        Clock::time_point begin = Clock::now();
        PeriodFound found = timed.run(kind, bits, start, truth.mu + truth.lambda, nullptr);
        double ns = nanosecondsSince(begin);
        benchmark::DoNotOptimize(found);
        right = right && (floor || (found.mu == truth.mu && found.lambda == truth.lambda));
        return ns;
    };
    sampleRounds(
        state, values_of, [&](bool& right) { return call(kernel, right, false); },
        [&](bool& right) { return call(PERIOD_KERNELS[PERIOD_FLOOR], right, true); },
        "ns_per_value");
    state.counters["calls_per_value"] = medianInterval(calls_per_value).median;
    state.counters["mu"] = medianInterval(mus).median;
    state.counters["lambda"] = medianInterval(lambdas).median;
}

} // namespace

// The period rows: period/<kernel>/<function>/<bits>.
void registerPeriodRows() {
    for (const PeriodRow& row : PERIOD_ROWS) {
        for (size_t i = 0; i < PERIOD_KERNEL_COUNT; i++) {
            if (i == PERIOD_FLOOR) {
                continue; // the floor is every row's pair already
            }
            std::string name = std::string("period/") + PERIOD_KERNELS[i].name + "/" +
                               functionName(row.kind) + "/" + std::to_string(row.bits);
            registerRow(name, runPeriod, PERIOD_KERNELS[i], row.kind, row.bits);
        }
    }
}
