// What std::bad_alloc leaves behind in the graph functions: with a failure
// injected at every allocation in turn, each throws it and frees all it
// took; and the extra memory each holds at its peak, against its contract,
// on a ring whose search path takes every vertex.
#include "alloc_failure.h"
#include "cycle/graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <random>
#include <vector>

namespace {

using Lists = std::vector<std::vector<uint32_t>>;

// A random graph with a few long rows, so that the copy of the ...Of forms
// takes several blocks.
Lists randomGraph(uint32_t n, uint32_t edges, uint64_t seed) {
    std::mt19937_64 random(seed);
    Lists g(n);
    for (uint32_t e = 0; e < edges; e++) {
        g[random() % n].push_back(static_cast<uint32_t>(random() % n));
    }
    return g;
}

// Runs call with a failure at its first, second, ... allocation until it
// succeeds; every failure must throw std::bad_alloc and leave no block
// behind. Returns how many allocations failed.
template <typename Call> int failEveryAllocation(Call call) {
    int failures = 0;
    for (int64_t left = 0;; left++) {
        const int64_t before = liveAllocations();
        failAllocationsAfter(left);
        try {
            call();
        } catch (const std::bad_alloc&) {
            failNever();
            EXPECT_EQ(liveAllocations(), before) << "blocks left after failure " << left;
            failures++;
            continue;
        }
        failNever();
        EXPECT_EQ(liveAllocations(), before);
        return failures;
    }
}

TEST(GraphAllocation, EveryFailureFreesWhatItTook) {
    for (const bool acyclic : {false, true}) {
        Lists g = randomGraph(3000, 300000, acyclic ? 2 : 1);
        if (acyclic) {
            for (uint32_t u = 0; u < g.size(); u++) {
                for (uint32_t& w : g[u]) {
                    w = u + 1 + w % 64 < g.size() ? u + 1 + w % 64
                                                  : static_cast<uint32_t>(g.size() - 1);
                }
                g[u].erase(std::remove(g[u].begin(), g[u].end(), u), g[u].end());
            }
        }
        const uint32_t n = static_cast<uint32_t>(g.size());
        auto row = [&g](uint32_t v) -> const std::vector<uint32_t>& { return g[v]; };
        std::vector<uint32_t> component(n);
        // At least the copy's offsets, a block of it and its targets fail.
        EXPECT_GE(failEveryAllocation([&] { cycle::findGraphCycleOf(n, row); }), 3);
        EXPECT_GE(failEveryAllocation([&] { cycle::topologicalOrderOf(n, row); }), 3);
        EXPECT_GE(
            failEveryAllocation([&] { cycle::stronglyConnectedOf(n, row, component.data()); }), 3);
    }
}

} // namespace
