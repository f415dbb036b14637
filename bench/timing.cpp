#include "timing.h"

#include "bench_detectors.h"
#include "intervals.h"

#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

SamplingPlan sampling_plan = {0, 0};

using Clock = std::chrono::steady_clock;

static double nanosecondsSince(Clock::time_point start) {
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
static void sampleRounds(benchmark::State& state, NodesOf nodes_of, KernelCall kernel,
                         FloorCall floor, const char* unit = "ns_per_node",
                         const SecondFloor* second = nullptr) {
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
static auto everyRound(double nodes) {
    return [nodes](size_t) { return nodes; };
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

void runPages(benchmark::State& state, Layout layout, int64_t n) {
    const std::vector<Node*>& small = linkOrder(n, layout);
    const std::vector<Node*>& huge = hugeLinkOrder(n, layout);
    sampleRounds(
        state, everyRound(static_cast<double>(n)),
        [&](bool& right) { return timeCall(traverse, huge, layout, -1, right); },
        [&](bool& right) { return timeCall(traverse, small, layout, -1, right); });
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
    sampleRounds(
        state, everyRound(static_cast<double>(MANY_NODES)),
        [&](bool& right) {
            return timeMany(order, layout, list_count, flight, threads, check, right);
        },
        [&](bool& right) {
            return timeMany(order, layout, list_count, flight, threads, false, right);
        });
    state.counters["moves_per_node"] =
        static_cast<double>(counts.moves) / static_cast<double>(MANY_NODES);
}

void runShort(benchmark::State& state, ShortKernel kernel, Layout layout, ShortShape shape,
              int64_t n) {
    ShortLists lists = linkShort(layout, shape, n);
    StepCounts counts;
    if (kernel.count(lists, counts) != lists.cyclic) {
        state.SkipWithError("wrong verdict in the counting run");
        return;
    }
    auto call = [&lists](int64_t (*check)(ShortLists&, NoCounts&), bool& right) {
        NoCounts none;
        Clock::time_point start = Clock::now();
        int64_t cyclic = check(lists, none);
        double ns = nanosecondsSince(start);
        right = right && cyclic == lists.cyclic;
        return ns;
    };
    const double list_count = static_cast<double>(lists.heads.size());
    int64_t nodes = 0;
    for (int64_t length : lists.lengths) {
        nodes += length;
    }
    const SecondFloor walk_floor{"walk",
                                 [&](bool& right) { return call(shortWalk<NoCounts>, right); }};
    sampleRounds(
        state, everyRound(list_count), [&](bool& right) { return call(kernel.check, right); },
        [&](bool& right) { return call(shortTraverse<NoCounts>, right); }, "ns_per_list",
        shortShapeLinear(shape) ? &walk_floor : nullptr);
    state.counters["moves_per_node"] =
        static_cast<double>(counts.moves) / static_cast<double>(nodes);
}

// The starts of a period row, and the truth for each, from the textbook
// Brent's method: found once per function, bits and start.
static const PeriodFound& periodTruth(FunctionKind kind, int bits, uint64_t start) {
    static std::map<std::tuple<int, int, uint64_t>, PeriodFound> truths;
    auto key = std::make_tuple(static_cast<int>(kind), bits, start);
    auto found = truths.find(key);
    if (found == truths.end()) {
        const PeriodKernel& brent = PERIOD_KERNELS[PERIOD_BRENT];
        found = truths.emplace(key, brent.run(kind, bits, start, 0, nullptr)).first;
    }
    return found->second;
}

const uint64_t PERIOD_STARTS[] = {1, 2718281828, 3141592653};

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

// The truth of each mapping, from the textbook walk, found once.
static MapFound mappingTruth(MapShape shape, uint64_t m) {
    static std::map<std::pair<int, uint64_t>, MapFound> truths;
    auto key = std::make_pair(static_cast<int>(shape), m);
    auto known = truths.find(key);
    if (known == truths.end()) {
        const std::vector<uint32_t>& next = mapping(shape, m);
        known = truths.emplace(key, mapTextbook().run(next.data(), m, 1, nullptr)).first;
    }
    return known->second;
}

void runMapping(benchmark::State& state, MapKernel kernel, MapShape shape, uint64_t m,
                unsigned threads) {
    const MapFound truth = mappingTruth(shape, m);
    const std::vector<uint32_t>& next = mapping(shape, m);
    std::vector<double> build_ns;
    auto call = [&](const MapKernel& timed, bool& right, bool floor) {
        double build = 0;
        Clock::time_point begin = Clock::now();
        MapFound found = timed.run(next.data(), m, floor ? 1 : threads, &build);
        double ns = nanosecondsSince(begin);
        benchmark::DoNotOptimize(found);
        if (!floor) {
            right = right && found.cycles == truth.cycles && found.on_cycles == truth.on_cycles;
            if (build > 0) {
                build_ns.push_back(build / static_cast<double>(m));
            }
        }
        return ns;
    };
    sampleRounds(
        state, everyRound(static_cast<double>(m)),
        [&](bool& right) { return call(kernel, right, false); },
        [&](bool& right) { return call(mapFloor(), right, true); }, "ns_per_element");
    if (!build_ns.empty()) {
        state.counters["build_ns_per_element"] = medianInterval(build_ns).median;
    }
    state.counters["cycles"] = static_cast<double>(truth.cycles);
    state.counters["on_cycles"] = static_cast<double>(truth.on_cycles);
}
