#include "timing.h"

#include "bench_detectors.h"
#include "intervals.h"

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

SamplingPlan sampling_plan = {0, 0};

// One paired round: the nanoseconds of the kernel's call and of its floor's,
// and whether every verdict was right.
struct Round {
    double kernel_ns;
    double floor_ns;
    bool right;
};

using Clock = std::chrono::steady_clock;

static double nanosecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

// Takes rounds from round(floor_first) as the sampling plan says, alternating
// which call goes first, and sets the counters of nodes nodes per call.
template <typename RoundFn>
static void sampleRounds(benchmark::State& state, double nodes, RoundFn round) {
    std::vector<double> kernel_ns;
    std::vector<double> floor_ns;
    std::vector<double> ratios;
    bool met = false;
    auto take = [&]() {
        Round taken = round(ratios.size() % 2 == 0);
        if (!taken.right) {
            state.SkipWithError("wrong verdict");
            return false;
        }
        kernel_ns.push_back(taken.kernel_ns / nodes);
        floor_ns.push_back(taken.floor_ns / nodes);
        ratios.push_back(taken.kernel_ns / taken.floor_ns);
        return true;
    };
    const SamplingPlan plan = sampling_plan;
    for (auto _ : state) {
        if (plan.ci_target <= 0) {
            if (!take()) {
                break;
            }
            state.SetIterationTime(kernel_ns.back() * nodes * 1e-9);
            continue;
        }
        Clock::time_point start = Clock::now();
        met = sampleUntil(
            ratios, take, [start] { return nanosecondsSince(start) * 1e-9; }, plan.ci_target,
            plan.ci_max_time);
        double total_ns = 0;
        for (double ns : kernel_ns) {
            total_ns += ns * nodes;
        }
        state.SetIterationTime(total_ns * 1e-9 / static_cast<double>(ratios.size()));
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
    report("ns_per_node", kernel_ns);
    report("floor_ratio", ratios);
    state.counters["floor_ns_per_node"] = medianInterval(floor_ns).median;
    state.counters["rounds"] = static_cast<double>(ratios.size());
    state.counters["outlier_rounds"] = static_cast<double>(countOutliers(ratios));
    if (plan.ci_target > 0) {
        state.counters["ci_met"] = met ? 1 : 0;
    }
    state.counters["anon_huge_kib"] = static_cast<double>(anonHugeKib());
}

// Relinks order into the shape, untimed, flushes it if the layout is cold,
// then times one call of detect; right if it gave the expected verdict.
static double timeCall(int (*detect)(BenchList, NoCounts&), const std::vector<Node*>& order,
                       Layout layout, int64_t target, bool& right) {
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

void runKernel(benchmark::State& state, Kernel kernel, Layout layout, ListShape shape, int64_t n) {
    const std::vector<Node*>& order = linkOrder(n, layout);
    int64_t target = tailTarget(shape, n);

    StepCounts counts;
    if (kernel.count(linkShape(order, target), counts) != (target >= 0 ? 1 : 0)) {
        state.SkipWithError("wrong verdict in the counting run");
        return;
    }
    sampleRounds(state, static_cast<double>(n), [&](bool floor_first) {
        Round round{0, 0, true};
        if (floor_first) {
            round.floor_ns = timeCall(traverse, order, layout, target, round.right);
        }
        round.kernel_ns = timeCall(kernel.detect, order, layout, target, round.right);
        if (!floor_first) {
            round.floor_ns = timeCall(traverse, order, layout, target, round.right);
        }
        return round;
    });

    double nodes = static_cast<double>(n);
    state.counters["moves_per_node"] = static_cast<double>(counts.moves) / nodes;
    state.counters["chain_per_node"] = static_cast<double>(counts.chain) / nodes;
    state.counters["writes_per_node"] = static_cast<double>(counts.writes) / nodes;
    state.counters["stack_peak"] = static_cast<double>(counts.stack_peak);
}

void runPages(benchmark::State& state, Layout layout, int64_t n) {
    const std::vector<Node*>& small = linkOrder(n, layout);
    const std::vector<Node*>& huge = hugeLinkOrder(n, layout);
    sampleRounds(state, static_cast<double>(n), [&](bool floor_first) {
        Round round{0, 0, true};
        if (floor_first) {
            round.floor_ns = timeCall(traverse, small, layout, -1, round.right);
        }
        round.kernel_ns = timeCall(traverse, huge, layout, -1, round.right);
        if (!floor_first) {
            round.floor_ns = timeCall(traverse, small, layout, -1, round.right);
        }
        return round;
    });
}

const int64_t MANY_NODES = 1000000;

// One call over all the lists: the check or the floor walk, split over
// threads by halves of the lists; right if every verdict matched.
static double timeMany(const std::vector<Node*>& order, Layout layout, int64_t list_count,
                       size_t in_flight, int threads, bool check, bool& right) {
    ManyLists lists = linkMany(order, list_count);
    if (layout.cold) {
        flushNodes(order);
    }
    std::unique_ptr<bool[]> cyclic(new bool[lists.heads.size()]);
    int64_t ends[2] = {0, 0};
    auto work = [&](int part) {
        size_t first = lists.heads.size() * part / threads;
        size_t end = lists.heads.size() * (part + 1) / threads;
        NoCounts none;
        if (check) {
            checkMany(lists, first, end, in_flight, cyclic.get(), none);
        } else {
            ends[part] = walkMany(lists, first, end, in_flight, none);
        }
    };
    Clock::time_point start = Clock::now();
    if (threads == 1) {
        work(0);
    } else {
        std::thread second(work, 1);
        work(0);
        second.join();
    }
    double ns = nanosecondsSince(start);
    if (check) {
        for (size_t i = 0; i < lists.heads.size(); i++) {
            right = right && cyclic[i] == lists.cyclic[i];
        }
    } else {
        right = right && ends[0] + ends[1] == list_count / 2;
    }
    return ns;
}

void runMany(benchmark::State& state, Layout layout, int64_t list_count, int64_t in_flight,
             int threads, bool check) {
    const std::vector<Node*>& order = linkOrder(MANY_NODES, layout);
    size_t flight = static_cast<size_t>(in_flight);
    StepCounts counts;
    ManyLists lists = linkMany(order, list_count);
    if (check) {
        std::unique_ptr<bool[]> cyclic(new bool[lists.heads.size()]);
        checkMany(lists, 0, lists.heads.size(), flight, cyclic.get(), counts);
    } else {
        walkMany(lists, 0, lists.heads.size(), flight, counts);
    }
    sampleRounds(state, static_cast<double>(MANY_NODES), [&](bool floor_first) {
        Round round{0, 0, true};
        if (floor_first) {
            round.floor_ns =
                timeMany(order, layout, list_count, flight, threads, false, round.right);
        }
        round.kernel_ns = timeMany(order, layout, list_count, flight, threads, check, round.right);
        if (!floor_first) {
            round.floor_ns =
                timeMany(order, layout, list_count, flight, threads, false, round.right);
        }
        return round;
    });
    state.counters["moves_per_node"] =
        static_cast<double>(counts.moves) / static_cast<double>(MANY_NODES);
}
