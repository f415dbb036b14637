// Time per node of each cycle detector, against the floor of a plain walk and
// Brent's method, over list layouts, cycle shapes and sizes from cache-resident
// to DRAM. Each benchmark is named <detector>/<layout>/<shape>/<n>.
#include "hare_walk.h"
#include "link_reversal.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <err.h>
#include <random>
#include <string>
#include <vector>

namespace {

// A detector under test: given the head and the node count, 1 if cyclic.
using Detector = int (*)(Node* head, int64_t n);

// The floor for any detector that must reach the tail: n steps, which end on
// null for a linear list and back inside the list for a cyclic one. It knows
// n, so the only test per step is the counter's.
int traverse(Node* head, int64_t n) {
    const Node* node = head;
    for (int64_t i = 0; i < n; i++) {
        node = node->next;
    }
    return node != nullptr;
}

int hare(Node* head, int64_t) {
    return hareWalk(head).cyclic;
}

int reverse(Node* head, int64_t) {
    return reverseLinks(head).ending != REVERSAL_LINEAR;
}

// Brent's method: the hare walks alone and the tortoise teleports to it at
// every power of two, so each step costs one load and one compare.
int brent(Node* head, int64_t) {
    if (head == nullptr) {
        return 0;
    }
    const Node* tortoise = head;
    const Node* runner = head->next;
    int64_t power = 1;
    int64_t length = 1;
    while (runner != nullptr && runner != tortoise) {
        if (power == length) {
            tortoise = runner;
            power *= 2;
            length = 0;
        }
        runner = runner->next;
        length++;
    }
    return runner != nullptr;
}

struct DetectorEntry {
    const char* name;
    Detector detect;
    bool rewrites_links;
};

const DetectorEntry DETECTORS[] = {
    {"traverse", traverse, false},
    {"hare", hare, false},
    {"reverse", reverse, true},
    {"brent", brent, false},
};

struct Layout {
    const char* name;
    bool scattered;
};

const Layout LAYOUTS[] = {{"sequential", false}, {"scattered", true}};

// Where the tail links, as a node index for a list of n nodes; -1 for null.
struct ShapeEntry {
    const char* name;
    int64_t (*target)(int64_t n);
};

const ShapeEntry SHAPES[] = {
    {"linear", [](int64_t) -> int64_t { return -1; }},
    {"head", [](int64_t) -> int64_t { return 0; }},
    {"middle", [](int64_t n) -> int64_t { return n / 2; }},
    {"self", [](int64_t n) -> int64_t { return n - 1; }},
};

const int64_t SIZES[] = {1000, 10000, 100000, 1000000, 4000000};

// Nodes allocated one by one, as the programs build them, in the order they
// are to be linked: allocation order, or shuffled so every step is a miss.
std::vector<Node*> allocateNodes(int64_t n, bool scattered) {
    std::vector<Node*> order(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; i++) {
        order[i] = static_cast<Node*>(malloc(sizeof(Node)));
        if (order[i] == nullptr) {
            err(1, "cannot allocate a list of %lld nodes", static_cast<long long>(n));
        }
        order[i]->val = static_cast<int32_t>(i % 10000 + 1);
    }
    if (scattered) {
        std::mt19937_64 generator(static_cast<uint64_t>(n));
        std::shuffle(order.begin(), order.end(), generator);
    }
    return order;
}

// Links the nodes in order, the last to index target (or to null if < 0).
void linkNodes(const std::vector<Node*>& order, int64_t target) {
    size_t n = order.size();
    for (size_t i = 0; i + 1 < n; i++) {
        order[i]->next = order[i + 1];
    }
    order[n - 1]->next = target >= 0 ? order[static_cast<size_t>(target)] : nullptr;
}

// Only the detector is timed: the reversal's links are restored between
// iterations, outside the measurement, and the ns_per_node counter comes
// from these per-iteration clocks alone.
void runDetector(benchmark::State& state, DetectorEntry detector, Layout layout, ShapeEntry shape,
                 int64_t n) {
    std::vector<Node*> order = allocateNodes(n, layout.scattered);
    int64_t target = shape.target(n);
    linkNodes(order, target);
    int expected = target >= 0 ? 1 : 0;

    std::chrono::nanoseconds timed{0};
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        int cyclic = detector.detect(order[0], n);
        auto end = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(cyclic);
        timed += end - start;
        if (cyclic != expected) {
            state.SkipWithError("wrong verdict");
            break;
        }
        if (detector.rewrites_links) {
            linkNodes(order, target);
        }
    }
    double per_node = static_cast<double>(timed.count()) /
                      (static_cast<double>(state.iterations()) * static_cast<double>(n));
    state.counters["ns_per_node"] = per_node;
    for (Node* node : order) {
        free(node);
    }
}

void registerAll() {
    for (const DetectorEntry& detector : DETECTORS) {
        for (const Layout& layout : LAYOUTS) {
            for (const ShapeEntry& shape : SHAPES) {
                for (int64_t n : SIZES) {
                    std::string name = std::string(detector.name) + "/" + layout.name + "/" +
                                       shape.name + "/" + std::to_string(n);
                    benchmark::RegisterBenchmark(name.c_str(), runDetector, detector, layout, shape,
                                                 n);
                }
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
