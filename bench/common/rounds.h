// The paired-round timing every family of rows shares: a kernel and its
// floor (and a second floor, for some rows) timed in turn, round after
// round, on the same memory, so that each round's ratio compares calls made
// moments apart; the medians of the rounds, with their 95% intervals, become
// the row's counters. Also the registration of a timed row and a cache of
// the truths the rows check their kernels against.
#ifndef CYCLE_BENCH_ROUNDS_H
#define CYCLE_BENCH_ROUNDS_H

#include "common/intervals.h"
#include "common/progress.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// How long a row samples. With ci_target > 0 a row takes paired rounds in one
// benchmark iteration until its ratio's 95% interval is within ci_target of
// the median, or for ci_max_time seconds, whichever comes first (register
// such rows with Iterations(1)); otherwise one round per iteration, as many
// as Google Benchmark asks for.
struct SamplingPlan {
    double ci_target;
    double ci_max_time;
};
extern SamplingPlan sampling_plan;

// The kilobytes of the process's anonymous memory on transparent huge pages,
// or -1 where the kernel does not say.
int64_t anonHugeKib();

using Clock = std::chrono::steady_clock;

inline double nanosecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

// A second floor a row may be paired with: its call, timed like the
// floor's, and the name its counters take (<name>_ratio, <name>_<unit>).
struct SecondFloor {
    const char* name;
    std::function<double(bool&)> call;
};

// Takes paired rounds as the sampling plan says: each round times one call
// of kernel and one of floor (and of second, if given; each returns its
// nanoseconds and clears right on a wrong verdict), in an order that turns
// from round to round, so that their ratios compare calls made moments
// apart. nodes_of(round) is called first in each round and gives the nodes a
// call of that round covers; the counters are per node, the time's named
// unit, and the benchmark's time is per call.
template <typename NodesOf, typename KernelCall, typename FloorCall>
void sampleRounds(benchmark::State& state, NodesOf nodes_of, KernelCall kernel, FloorCall floor,
                  const char* unit = "ns_per_node", const SecondFloor* second = nullptr) {
    std::vector<double> kernel_ns;
    std::vector<double> floor_ns;
    std::vector<double> ratios;
    std::vector<double> second_ns;
    std::vector<double> second_ratios;
    double kernel_total_ns = 0;
    double last_kernel_ns = 0;
    bool met = false;
    auto take = [&]() {
        const double nodes = nodes_of(ratios.size());
        bool right = true;
        const size_t calls = second != nullptr ? 3 : 2;
        double times[3] = {0, 0, 0}; // kernel, floor, second
        for (size_t i = 0; i < calls; i++) {
            const size_t which = (i + ratios.size()) % calls;
            times[which] = which == 0   ? kernel(right)
                           : which == 1 ? floor(right)
                                        : second->call(right);
        }
        if (!right) {
            state.SkipWithError("wrong verdict");
            return false;
        }
        const double kernel_time = times[0];
        kernel_ns.push_back(kernel_time / nodes);
        floor_ns.push_back(times[1] / nodes);
        ratios.push_back(kernel_time / times[1]);
        if (second != nullptr) {
            second_ns.push_back(times[2] / nodes);
            second_ratios.push_back(kernel_time / times[2]);
        }
        kernel_total_ns += kernel_time;
        last_kernel_ns = kernel_time;
        return true;
    };
    const SamplingPlan plan = sampling_plan;
    for (auto _ : state) {
        if (plan.ci_target <= 0) {
            if (!take()) {
                break;
            }
            state.SetIterationTime(last_kernel_ns * 1e-9);
            continue;
        }
        Clock::time_point start = Clock::now();
        met = sampleUntil(
            ratios, take, [start] { return nanosecondsSince(start) * 1e-9; }, plan.ci_target,
            plan.ci_max_time);
        state.SetIterationTime(kernel_total_ns * 1e-9 / static_cast<double>(ratios.size()));
    }
    if (ratios.empty() || state.error_occurred()) {
        return;
    }
    auto report = [&state](const char* name, const std::vector<double>& samples) {
        Interval interval = medianInterval(samples);
        state.counters[name] = interval.median;
        state.counters[std::string(name) + "_lo"] = interval.lo;
        state.counters[std::string(name) + "_hi"] = interval.hi;
    };
    report(unit, kernel_ns);
    report("floor_ratio", ratios);
    state.counters[std::string("floor_") + unit] = medianInterval(floor_ns).median;
    if (second != nullptr) {
        report((std::string(second->name) + "_ratio").c_str(), second_ratios);
        state.counters[std::string(second->name) + "_" + unit] = medianInterval(second_ns).median;
    }
    state.counters["rounds"] = static_cast<double>(ratios.size());
    state.counters["outlier_rounds"] = static_cast<double>(countOutliers(ratios));
    if (plan.ci_target > 0) {
        state.counters["ci_met"] = met ? 1 : 0;
    }
    state.counters["anon_huge_kib"] = static_cast<double>(anonHugeKib());
}

// nodes_of for calls that all cover nodes nodes.
inline auto everyRound(double nodes) {
    return [nodes](size_t) { return nodes; };
}

// Registers a row under name, run by run with the arguments given, timed as
// the sampling plan says (manual time; one iteration when sampling to a
// target), each run counted for the progress report.
template <typename Run, typename... Args>
void registerRow(const std::string& name, Run run, Args... args) {
    const bool sampled = sampling_plan.ci_target > 0;
    const size_t counted = progressRow(name + (sampled ? "/iterations:1" : "") + "/manual_time");
    benchmark::internal::Benchmark* row =
        benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
            run(state, args...);
            noteRowRun(counted, static_cast<int64_t>(state.max_iterations));
        });
    row->UseManualTime()->Unit(benchmark::kMicrosecond);
    if (sampled) {
        row->Iterations(1);
    }
}

// The truth for key, found by find(key) the first time it is asked for and
// kept in truths for the life of the process.
template <typename Key, typename Truth, typename Find>
const Truth& rememberedTruth(std::map<Key, Truth>& truths, const Key& key, Find find) {
    auto known = truths.find(key);
    if (known == truths.end()) {
        known = truths.emplace(key, find(key)).first;
    }
    return known->second;
}

#endif
