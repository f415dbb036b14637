// AcyclicGraph against a plain reachability search over the same edges:
// every verdict, every refusal's cycle, hasEdge, and the order after every
// operation, over random sequences of adds, removes and new vertices; bad
// vertices; a failure at every allocation; copies; a long chain.
#include "alloc_failure.h"
#include "cycle/acyclic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <random>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

// The truth: the edges as a set, and reachability by a plain search.
struct Truth {
    size_t n = 0;
    std::set<std::pair<uint64_t, uint64_t>> edges;

    bool reaches(uint64_t from, uint64_t to) const {
        std::vector<uint64_t> stack{from};
        std::vector<bool> seen(n, false);
        seen[from] = true;
        while (!stack.empty()) {
            const uint64_t v = stack.back();
            stack.pop_back();
            if (v == to) {
                return true;
            }
            for (auto it = edges.lower_bound({v, 0}); it != edges.end() && it->first == v; ++it) {
                if (!seen[it->second]) {
                    seen[it->second] = true;
                    stack.push_back(it->second);
                }
            }
        }
        return false;
    }
};

template <typename Vertex>
void expectOrder(const cycle::AcyclicGraph<Vertex>& graph, const Truth& truth) {
    const std::vector<Vertex>& order = graph.order();
    ASSERT_EQ(order.size(), truth.n);
    std::vector<int64_t> position(truth.n, -1);
    for (size_t i = 0; i < order.size(); i++) {
        const uint64_t v = static_cast<uint64_t>(order[i]);
        ASSERT_LT(v, truth.n);
        ASSERT_EQ(position[v], -1) << "vertex " << v << " twice in the order";
        position[v] = static_cast<int64_t>(i);
    }
    for (const auto& [u, w] : truth.edges) {
        ASSERT_LT(position[u], position[w]) << "edge " << u << " -> " << w;
    }
}

template <typename Vertex>
void expectSameEdges(const cycle::AcyclicGraph<Vertex>& graph, const Truth& truth) {
    for (uint64_t u = 0; u < truth.n; u++) {
        for (uint64_t w = 0; w < truth.n; w++) {
            ASSERT_EQ(graph.hasEdge(static_cast<Vertex>(u), static_cast<Vertex>(w)),
                      truth.edges.count({u, w}) == 1)
                << u << " -> " << w;
        }
    }
}

// The cycle a refused from -> to names: from, to, then a path of existing
// edges back to from, all distinct.
void expectCycle(const std::vector<uint64_t>& cycle, uint64_t from, uint64_t to,
                 const Truth& truth) {
    ASSERT_FALSE(cycle.empty());
    ASSERT_EQ(cycle[0], from);
    if (from == to) {
        ASSERT_EQ(cycle.size(), 1u);
        return;
    }
    ASSERT_GE(cycle.size(), 2u);
    ASSERT_EQ(cycle[1], to);
    EXPECT_EQ(std::set<uint64_t>(cycle.begin(), cycle.end()).size(), cycle.size());
    for (size_t i = 1; i < cycle.size(); i++) {
        const uint64_t next = i + 1 < cycle.size() ? cycle[i + 1] : from;
        ASSERT_EQ(truth.edges.count({cycle[i], next}), 1u) << cycle[i] << " -> " << next;
    }
}

template <typename Vertex> void randomOperations(uint64_t seed, size_t n, int operations) {
    std::mt19937_64 random(seed);
    cycle::AcyclicGraph<Vertex> graph(n);
    Truth truth;
    truth.n = n;
    std::vector<Vertex> cycle;
    for (int op = 0; op < operations; op++) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", operation " + std::to_string(op));
        const uint64_t kind = random() % 16;
        if (kind == 0 && truth.n < 100) {
            ASSERT_EQ(static_cast<uint64_t>(graph.addVertex()), truth.n);
            truth.n++;
        } else if (kind < 4 && !truth.edges.empty()) {
            auto it = truth.edges.begin();
            std::advance(it, static_cast<long>(random() % truth.edges.size()));
            const auto [u, w] = *it;
            ASSERT_TRUE(graph.removeEdge(static_cast<Vertex>(u), static_cast<Vertex>(w)));
            ASSERT_FALSE(graph.removeEdge(static_cast<Vertex>(u), static_cast<Vertex>(w)));
            truth.edges.erase(it);
        } else if (truth.n > 0) {
            const uint64_t u = random() % truth.n;
            const uint64_t w = random() % truth.n;
            const bool present = truth.edges.count({u, w}) == 1;
            const bool closes = u == w || truth.reaches(w, u);
            const std::vector<Vertex> before = graph.order();
            const bool named = random() % 2 == 0;
            const bool added =
                named ? graph.addEdge(static_cast<Vertex>(u), static_cast<Vertex>(w), cycle)
                      : graph.addEdge(static_cast<Vertex>(u), static_cast<Vertex>(w));
            ASSERT_EQ(added, present || !closes);
            if (!added) {
                ASSERT_EQ(graph.order(), before) << "a refusal moved the order";
                if (named) {
                    expectCycle(std::vector<uint64_t>(cycle.begin(), cycle.end()), u, w, truth);
                }
            } else {
                ASSERT_TRUE(!named || cycle.empty());
                truth.edges.insert({u, w});
            }
        }
        expectOrder(graph, truth);
        if (op % 8 == 0 && truth.n <= 100) {
            expectSameEdges(graph, truth);
        }
    }
    expectSameEdges(graph, truth);
}

TEST(AcyclicGraph, AgreesWithReachabilityOverRandomOperations) {
    for (uint64_t seed = 0; seed < 300; seed++) {
        randomOperations<uint32_t>(seed, 2 + seed % 11, 150);
    }
    for (uint64_t seed = 0; seed < 40; seed++) {
        randomOperations<int8_t>(seed, 1 + seed % 7, 200);
        randomOperations<int64_t>(seed, 40, 400);
    }
    // Spans wide enough that a search gives way to moving one vertex
    // across them.
    for (uint64_t seed = 0; seed < 3; seed++) {
        randomOperations<uint32_t>(seed, 400, 1000);
    }
}

// A dense graph: most edges are refused, many reorder.
TEST(AcyclicGraph, AgreesOnDenseGraphs) {
    for (uint64_t seed = 0; seed < 20; seed++) {
        std::mt19937_64 random(seed);
        const size_t n = 30;
        cycle::AcyclicGraph<uint16_t> graph(n);
        Truth truth;
        truth.n = n;
        std::vector<uint16_t> cycle;
        for (int i = 0; i < 600; i++) {
            const uint64_t u = random() % n;
            const uint64_t w = random() % n;
            const bool expected =
                truth.edges.count({u, w}) == 1 || !(u == w || truth.reaches(w, u));
            const bool added =
                graph.addEdge(static_cast<uint16_t>(u), static_cast<uint16_t>(w), cycle);
            ASSERT_EQ(added, expected);
            if (added) {
                EXPECT_TRUE(cycle.empty());
                truth.edges.insert({u, w});
            } else {
                expectCycle(std::vector<uint64_t>(cycle.begin(), cycle.end()), u, w, truth);
            }
        }
        expectOrder(graph, truth);
        expectSameEdges(graph, truth);
    }
}

TEST(AcyclicGraph, RefusesVerticesOutsideTheGraph) {
    cycle::AcyclicGraph<int32_t> graph(3);
    std::vector<int32_t> cycle;
    for (int32_t bad : {-1, 3, 1000}) {
        EXPECT_THROW(graph.addEdge(bad, 0), std::out_of_range);
        EXPECT_THROW(graph.addEdge(0, bad), std::out_of_range);
        EXPECT_THROW(graph.addEdge(bad, bad, cycle), std::out_of_range);
        EXPECT_THROW(graph.removeEdge(bad, 1), std::out_of_range);
        EXPECT_THROW(static_cast<void>(graph.hasEdge(1, bad)), std::out_of_range);
    }
    EXPECT_EQ(graph.addVertex(), 3);
    EXPECT_TRUE(graph.addEdge(3, 0));
    cycle::AcyclicGraph<uint32_t> empty;
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_TRUE(empty.order().empty());
    EXPECT_THROW(empty.addEdge(0, 0), std::out_of_range);
    // Every vertex a Vertex names, and not one more.
    cycle::AcyclicGraph<int8_t> full(128);
    EXPECT_THROW(full.addVertex(), std::length_error);
    EXPECT_EQ(full.size(), 128u);
    EXPECT_THROW(cycle::AcyclicGraph<uint8_t>(257), std::length_error);
}

TEST(AcyclicGraph, NamesTheCycleAndLeavesTheGraphAsItWas) {
    cycle::AcyclicGraph<> graph(4);
    std::vector<uint32_t> cycle{7, 7};
    EXPECT_TRUE(graph.addEdge(0, 1, cycle));
    EXPECT_TRUE(cycle.empty());
    EXPECT_TRUE(graph.addEdge(1, 2));
    EXPECT_TRUE(graph.addEdge(2, 3));
    EXPECT_TRUE(graph.addEdge(2, 3)) << "an edge already present is no change";
    EXPECT_FALSE(graph.addEdge(3, 0, cycle));
    EXPECT_EQ(cycle, (std::vector<uint32_t>{3, 0, 1, 2}));
    EXPECT_FALSE(graph.addEdge(2, 2, cycle));
    EXPECT_EQ(cycle, (std::vector<uint32_t>{2}));
    EXPECT_FALSE(graph.hasEdge(3, 0));
    EXPECT_TRUE(graph.removeEdge(1, 2));
    EXPECT_TRUE(graph.addEdge(3, 0, cycle)) << "2 -> 3 -> 0 -> 1, once 1 -> 2 is gone";
    EXPECT_FALSE(graph.addEdge(1, 2, cycle));
    EXPECT_EQ(cycle, (std::vector<uint32_t>{1, 2, 3, 0}));
}

// A copy is a graph of its own.
TEST(AcyclicGraph, CopiesAndMovesAsAValue) {
    cycle::AcyclicGraph<> graph(3);
    ASSERT_TRUE(graph.addEdge(2, 1));
    cycle::AcyclicGraph<> copy = graph;
    ASSERT_TRUE(copy.addEdge(1, 0));
    EXPECT_FALSE(graph.hasEdge(1, 0));
    EXPECT_TRUE(graph.addEdge(0, 2));
    EXPECT_FALSE(copy.addEdge(0, 2));
    cycle::AcyclicGraph<> moved = std::move(copy);
    EXPECT_TRUE(moved.hasEdge(1, 0));
    EXPECT_EQ(moved.order(), (std::vector<uint32_t>{2, 1, 0}));
    copy = graph;
    EXPECT_TRUE(copy.hasEdge(0, 2));
}

// Each operation with a failure injected at each of its allocations in turn:
// std::bad_alloc leaves the graph as it was, and the operation then
// succeeds.
TEST(AcyclicGraph, LeavesTheGraphAsItWasWhenMemoryRunsOut) {
    std::mt19937_64 random(9);
    cycle::AcyclicGraph<uint32_t> graph(12);
    Truth truth;
    truth.n = 12;
    int failures = 0;
    for (int op = 0; op < 400; op++) {
        const bool grow = op % 50 == 49;
        const uint64_t u = random() % truth.n;
        const uint64_t w = random() % truth.n;
        for (int64_t left = 0;; left++) {
            const std::vector<uint32_t> before = graph.order();
            std::vector<uint32_t> cycle;
            bool added = false;
            failAllocationsAfter(left);
            try {
                if (grow) {
                    graph.addVertex();
                } else {
                    added =
                        graph.addEdge(static_cast<uint32_t>(u), static_cast<uint32_t>(w), cycle);
                }
            } catch (const std::bad_alloc&) {
                failNever();
                failures++;
                ASSERT_EQ(graph.order(), before);
                ASSERT_EQ(graph.size(), truth.n);
                expectSameEdges(graph, truth);
                continue;
            }
            failNever();
            if (grow) {
                truth.n++;
            } else if (added) {
                truth.edges.insert({u, w});
            }
            break;
        }
        expectOrder(graph, truth);
    }
    EXPECT_GT(failures, 100);
}

// A chain as long as a search can be, on no recursion: every edge agrees
// with the order, then the one back is refused with the whole chain.
TEST(AcyclicGraph, RefusesTheEdgeBackAlongAChainOfAMillion) {
    const uint32_t n = 1 << 20;
    cycle::AcyclicGraph<> graph(n);
    for (uint32_t v = 0; v + 1 < n; v++) {
        ASSERT_TRUE(graph.addEdge(v, v + 1));
    }
    std::vector<uint32_t> cycle;
    ASSERT_FALSE(graph.addEdge(n - 1, 0, cycle));
    ASSERT_EQ(cycle.size(), n);
    EXPECT_EQ(cycle[0], n - 1);
    EXPECT_EQ(cycle[1], 0u);
    EXPECT_EQ(cycle[n - 1], n - 2);
    // And, from the far end, each edge reorders all that comes before.
    cycle::AcyclicGraph<> back(2000);
    for (uint32_t v = 1; v < 2000; v++) {
        ASSERT_TRUE(back.addEdge(v, v - 1));
    }
    for (uint32_t i = 0; i < 2000; i++) {
        ASSERT_EQ(back.order()[i], 1999 - i);
    }
}

} // namespace
