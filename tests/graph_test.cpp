// findGraphCycle, topologicalOrder and stronglyConnected, and their ...Of
// forms, against a brute-force truth (who reaches whom): every graph on up
// to four vertices, random graphs and DAGs, chains of cliques, every vertex
// and offset type, bad input of each kind, and a deep chain on a small
// stack.
#include "cycle/graph.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A graph as adjacency lists, the tests' own form.
using Lists = std::vector<std::vector<size_t>>;

// The same graph in compressed rows of the given types; the rows start at
// offsets[0] = lead, with lead targets before them that must never be read
// (they are out of range, so reading them would throw).
template <typename Vertex, typename Offset> struct Csr {
    std::vector<Offset> offsets;
    std::vector<Vertex> targets;
};

template <typename Vertex, typename Offset> Csr<Vertex, Offset> toCsr(const Lists& g, size_t lead) {
    Csr<Vertex, Offset> csr;
    csr.targets.assign(lead, static_cast<Vertex>(g.size()));
    for (const auto& row : g) {
        csr.offsets.push_back(static_cast<Offset>(csr.targets.size()));
        for (size_t w : row) {
            csr.targets.push_back(static_cast<Vertex>(w));
        }
    }
    csr.offsets.push_back(static_cast<Offset>(csr.targets.size()));
    return csr;
}

// reach[u][w]: a path of one edge or more leads from u to w.
std::vector<std::vector<bool>> reachability(const Lists& g) {
    const size_t n = g.size();
    std::vector<std::vector<bool>> reach(n, std::vector<bool>(n, false));
    for (size_t s = 0; s < n; s++) {
        std::vector<size_t> stack(g[s].begin(), g[s].end());
        while (!stack.empty()) {
            const size_t v = stack.back();
            stack.pop_back();
            if (!reach[s][v]) {
                reach[s][v] = true;
                stack.insert(stack.end(), g[v].begin(), g[v].end());
            }
        }
    }
    return reach;
}

bool hasEdge(const Lists& g, size_t u, size_t w) {
    return std::find(g[u].begin(), g[u].end(), w) != g[u].end();
}

template <typename Vertex>
::testing::AssertionResult isCycle(const Lists& g, const std::vector<Vertex>& cycle) {
    if (cycle.empty()) {
        return ::testing::AssertionFailure() << "no cycle";
    }
    std::vector<size_t> seen;
    for (size_t i = 0; i < cycle.size(); i++) {
        const size_t u = static_cast<size_t>(cycle[i]);
        const size_t w = static_cast<size_t>(cycle[(i + 1) % cycle.size()]);
        if (u >= g.size() || !hasEdge(g, u, w)) {
            return ::testing::AssertionFailure() << "no edge " << u << " -> " << w;
        }
        seen.push_back(u);
    }
    std::sort(seen.begin(), seen.end());
    if (std::adjacent_find(seen.begin(), seen.end()) != seen.end()) {
        return ::testing::AssertionFailure() << "a vertex twice on the cycle";
    }
    return ::testing::AssertionSuccess();
}

template <typename Vertex>
::testing::AssertionResult isOrder(const Lists& g, const std::vector<Vertex>& order) {
    std::vector<size_t> position(g.size(), g.size());
    if (order.size() != g.size()) {
        return ::testing::AssertionFailure() << "order has " << order.size() << " vertices";
    }
    for (size_t i = 0; i < order.size(); i++) {
        const size_t v = static_cast<size_t>(order[i]);
        if (v >= g.size() || position[v] != g.size()) {
            return ::testing::AssertionFailure() << "vertex " << v << " wrong or twice";
        }
        position[v] = i;
    }
    for (size_t u = 0; u < g.size(); u++) {
        for (size_t w : g[u]) {
            if (position[u] >= position[w]) {
                return ::testing::AssertionFailure() << "edge " << u << " -> " << w << " backward";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

template <typename Vertex>
::testing::AssertionResult areComponents(const Lists& g,
                                         const std::vector<std::vector<bool>>& reach,
                                         const std::vector<Vertex>& component, size_t count) {
    const size_t n = g.size();
    std::vector<bool> used(count, false);
    for (size_t v = 0; v < n; v++) {
        const size_t c = static_cast<size_t>(component[v]);
        if (c >= count) {
            return ::testing::AssertionFailure() << "component " << c << " of " << count;
        }
        used[c] = true;
        for (size_t w = 0; w < n; w++) {
            const bool together = v == w || (reach[v][w] && reach[w][v]);
            if (together != (component[v] == component[w])) {
                return ::testing::AssertionFailure()
                       << v << " and " << w << " wrongly apart/together";
            }
        }
        for (size_t w : g[v]) {
            if (component[v] < component[w]) {
                return ::testing::AssertionFailure()
                       << "edge " << v << " -> " << w << " against the numbering";
            }
        }
    }
    if (std::find(used.begin(), used.end(), false) != used.end()) {
        return ::testing::AssertionFailure() << "a number in [0, count) unused";
    }
    return ::testing::AssertionSuccess();
}

bool acyclic(const std::vector<std::vector<bool>>& reach) {
    for (size_t v = 0; v < reach.size(); v++) {
        if (reach[v][v]) {
            return false;
        }
    }
    return true;
}

// All three functions on g in rows of the given types, and the ...Of forms
// over g's lists, checked against the truth.
template <typename Vertex, typename Offset> void checkGraph(const Lists& g, size_t lead = 0) {
    const auto reach = reachability(g);
    const bool dag = acyclic(reach);
    const size_t n = g.size();
    const Csr<Vertex, Offset> csr = toCsr<Vertex, Offset>(g, lead);

    const std::vector<Vertex> cycle =
        cycle::findGraphCycle(csr.offsets.data(), csr.targets.data(), n);
    if (dag) {
        EXPECT_TRUE(cycle.empty());
    } else {
        EXPECT_TRUE(isCycle(g, cycle));
        EXPECT_EQ(cycle, cycle::findGraphCycle(csr.offsets.data(), csr.targets.data(), n));
    }

    const cycle::Order<Vertex> order =
        cycle::topologicalOrder(csr.offsets.data(), csr.targets.data(), n);
    if (dag) {
        EXPECT_TRUE(isOrder(g, order.order));
        EXPECT_TRUE(order.cycle.empty());
    } else {
        EXPECT_TRUE(order.order.empty());
        EXPECT_TRUE(isCycle(g, order.cycle));
    }

    std::vector<Vertex> component(n);
    const size_t count =
        cycle::stronglyConnected(csr.offsets.data(), csr.targets.data(), n, component.data());
    EXPECT_TRUE(areComponents(g, reach, component, count));

    std::vector<std::vector<Vertex>> lists(n);
    for (size_t v = 0; v < n; v++) {
        for (size_t w : g[v]) {
            lists[v].push_back(static_cast<Vertex>(w));
        }
    }
    auto successors = [&lists](Vertex v) -> const std::vector<Vertex>& {
        return lists[static_cast<size_t>(v)];
    };
    if (n > static_cast<size_t>(std::numeric_limits<Vertex>::max())) {
        return; // n itself is no Vertex: the ...Of forms cannot be asked
    }
    const Vertex count_of = static_cast<Vertex>(n);
    EXPECT_EQ(cycle::findGraphCycleOf(count_of, successors), cycle);
    const cycle::Order<Vertex> order_of = cycle::topologicalOrderOf(count_of, successors);
    EXPECT_EQ(order_of.order, order.order);
    EXPECT_EQ(order_of.cycle, order.cycle);
    std::vector<Vertex> component_of(n);
    EXPECT_EQ(cycle::stronglyConnectedOf(count_of, successors, component_of.data()), count);
    EXPECT_EQ(component_of, component);
}

Lists randomGraph(std::mt19937_64& random, size_t n, size_t edges, bool dag) {
    Lists g(n);
    std::vector<size_t> rank(n);
    std::iota(rank.begin(), rank.end(), 0);
    std::shuffle(rank.begin(), rank.end(), random);
    for (size_t i = 0; i < edges; i++) {
        size_t u = random() % n;
        size_t w = random() % n;
        if (dag) {
            if (u == w) {
                continue;
            }
            if (rank[u] > rank[w]) {
                std::swap(u, w);
            }
        }
        g[u].push_back(w);
    }
    return g;
}

TEST(GraphTest, EveryGraphOnUpToFourVerticesSelfLoopsIncluded) {
    for (size_t n = 0; n <= 4; n++) {
        const uint32_t graphs = uint32_t{1} << (n * n);
        for (uint32_t bits = 0; bits < graphs; bits++) {
            Lists g(n);
            for (size_t e = 0; e < n * n; e++) {
                if (bits >> e & 1) {
                    g[e / n].push_back(e % n);
                }
            }
            SCOPED_TRACE("n " + std::to_string(n) + " edges " + std::to_string(bits));
            checkGraph<uint32_t, uint32_t>(g);
            if (::testing::Test::HasFailure()) {
                return;
            }
        }
    }
}

TEST(GraphTest, RandomGraphsAndDagsWithRepeatedEdges) {
    std::mt19937_64 random(29);
    for (int trial = 0; trial < 300; trial++) {
        const size_t n = 1 + random() % 120;
        const size_t edges = random() % (3 * n + 1);
        const bool dag = trial % 2 == 0;
        SCOPED_TRACE("trial " + std::to_string(trial));
        checkGraph<int32_t, int64_t>(randomGraph(random, n, edges, dag));
    }
}

// k cliques of size s, each with one edge to the next: k components, and
// the last clique, the sink, numbered 0.
TEST(GraphTest, ChainsOfCliquesNumberedSinksFirst) {
    for (size_t k : {1, 2, 7}) {
        for (size_t s : {1, 2, 5}) {
            Lists g(k * s);
            for (size_t c = 0; c < k; c++) {
                for (size_t i = 0; i < s; i++) {
                    for (size_t j = 0; j < s; j++) {
                        if (i != j) {
                            g[c * s + i].push_back(c * s + j);
                        }
                    }
                }
                if (c + 1 < k) {
                    g[c * s + s - 1].push_back((c + 1) * s);
                }
            }
            checkGraph<uint32_t, size_t>(g);
            const auto csr = toCsr<uint32_t, size_t>(g, 0);
            std::vector<uint32_t> component(k * s);
            EXPECT_EQ(cycle::stronglyConnected(csr.offsets.data(), csr.targets.data(), k * s,
                                               component.data()),
                      k);
            for (size_t v = 0; v < k * s; v++) {
                EXPECT_EQ(component[v], k - 1 - v / s);
            }
        }
    }
}

TEST(GraphTest, EveryVertexAndOffsetTypeAndRowsThatStartPastZero) {
    std::mt19937_64 random(7);
    for (int trial = 0; trial < 20; trial++) {
        const Lists g = randomGraph(random, 1 + random() % 100, random() % 200, trial % 2 == 0);
        checkGraph<uint32_t, uint32_t>(g, 3);
        checkGraph<int32_t, int32_t>(g, 1);
        checkGraph<int64_t, int64_t>(g, 2);
        checkGraph<size_t, size_t>(g);
        checkGraph<uint8_t, uint16_t>(g, 5);
        checkGraph<int16_t, uint64_t>(g);
    }
    // 256 vertices: every uint8_t names one, the largest too.
    Lists ring(256);
    for (size_t v = 0; v < 256; v++) {
        ring[v].push_back((v + 1) % 256);
    }
    checkGraph<uint8_t, uint32_t>(ring);
}

TEST(GraphTest, TheOfFormsCallEachVertexOnceInOrderAndTakeRangesByValue) {
    const Lists g = {{1, 2}, {2}, {0}, {}};
    std::vector<int> calls;
    auto successors = [&](int v) {
        calls.push_back(v);
        std::vector<long> row(g[static_cast<size_t>(v)].begin(), g[static_cast<size_t>(v)].end());
        return row;
    };
    EXPECT_TRUE(isCycle(g, cycle::findGraphCycleOf(4, successors)));
    EXPECT_EQ(calls, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(cycle::findGraphCycleOf(0, successors).empty());
    EXPECT_TRUE(cycle::topologicalOrderOf(0, successors).order.empty());
}

// The message of what fn throws, which must be std::invalid_argument.
template <typename F> std::string rejection(F fn) {
    try {
        fn();
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    return "nothing thrown";
}

TEST(GraphTest, BadInputIsRejectedNamingTheVertexAndTheValue) {
    // vertex 1's successor 3 with n = 3.
    const std::vector<uint32_t> offsets = {0, 1, 2, 2};
    const std::vector<uint32_t> past = {1, 3};
    std::vector<uint32_t> component(3);
    for (const std::string& message :
         {rejection([&] { cycle::findGraphCycle(offsets.data(), past.data(), 3); }),
          rejection([&] { cycle::topologicalOrder(offsets.data(), past.data(), 3); }),
          rejection([&] {
              cycle::stronglyConnected(offsets.data(), past.data(), 3, component.data());
          })}) {
        EXPECT_NE(message.find("vertex 1 has successor 3, outside [0, 3)"), std::string::npos)
            << message;
    }
    // A negative target, even after a cycle that a search could find first.
    const std::vector<int32_t> signed_offsets = {0, 1, 2, 3};
    const std::vector<int32_t> negative = {1, 0, -4};
    EXPECT_NE(rejection([&] {
                  cycle::findGraphCycle(signed_offsets.data(), negative.data(), 3);
              }).find("vertex 2 has successor -4"),
              std::string::npos);
    const std::vector<int64_t> down = {0, 2, 1, 2};
    const std::vector<int32_t> targets = {1, 2};
    EXPECT_NE(rejection([&] {
                  cycle::topologicalOrder(down.data(), targets.data(), 3);
              }).find("offsets go down at vertex 1: offsets[1] is 2, offsets[2] is 1"),
              std::string::npos);
    const std::vector<int64_t> below = {-1, 0, 1, 2};
    EXPECT_NE(rejection([&] {
                  cycle::findGraphCycle(below.data(), targets.data(), 3);
              }).find("offsets[0] is -1"),
              std::string::npos);
    // 300 vertices cannot all be named by a uint8_t.
    const std::vector<uint32_t> empty_rows(301, 0);
    const std::vector<uint8_t> no_targets;
    EXPECT_NE(rejection([&] {
                  cycle::findGraphCycle(empty_rows.data(), no_targets.data(), 300);
              }).find("300 vertices"),
              std::string::npos);
    auto wild = [](int v) { return std::vector<int>{v == 2 ? 7 : 0}; };
    std::vector<int> numbers(3);
    EXPECT_NE(rejection([&] {
                  cycle::stronglyConnectedOf(3, wild, numbers.data());
              }).find("vertex 2 has successor 7"),
              std::string::npos);
    EXPECT_NE(rejection([&] { cycle::topologicalOrderOf(-1, wild); }).find("-1"),
              std::string::npos);
}

// A ring of 100 vertices, two edges a vertex, whose cycle the first search
// meets at once, with one target turned bad at each position in turn: the
// check of every target (a vector at a time, then one at a time) still
// finds it.
template <typename Vertex> void checkBadTargetAnywhere(Vertex bad) {
    const size_t n = 100;
    std::vector<int64_t> offsets;
    std::vector<Vertex> targets;
    for (size_t v = 0; v < n; v++) {
        offsets.push_back(static_cast<int64_t>(targets.size()));
        targets.push_back(static_cast<Vertex>((v + 1) % n));
        targets.push_back(static_cast<Vertex>((v + 7) % n));
    }
    offsets.push_back(static_cast<int64_t>(targets.size()));
    ASSERT_EQ(cycle::findGraphCycle(offsets.data(), targets.data(), n).size(), n);
    for (size_t e = 0; e < targets.size(); e++) {
        const Vertex kept = targets[e];
        targets[e] = bad;
        EXPECT_NE(rejection([&] {
                      cycle::findGraphCycle(offsets.data(), targets.data(), n);
                  }).find("vertex " + std::to_string(e / 2) + " has successor"),
                  std::string::npos)
            << "position " << e;
        targets[e] = kept;
    }
}

TEST(GraphTest, ABadTargetIsFoundWhereverItLies) {
    checkBadTargetAnywhere<uint32_t>(100);
    checkBadTargetAnywhere<uint32_t>(UINT32_MAX);
    checkBadTargetAnywhere<int32_t>(-1);
    checkBadTargetAnywhere<int32_t>(INT32_MIN);
    checkBadTargetAnywhere<int64_t>(-5);
    checkBadTargetAnywhere<uint8_t>(200);
    checkBadTargetAnywhere<int8_t>(-128);
    checkBadTargetAnywhere<uint16_t>(100);
}

// A chain of 2^20 vertices in shuffled order, with and without an edge back
// to its head, answered on a thread whose stack is 64 KiB.
struct DeepChain {
    std::vector<uint32_t> offsets;
    std::vector<uint32_t> targets;
    size_t n = 0;
    bool closed = false;
    std::vector<uint32_t> cycle;
    size_t order_size = 0;
    size_t components = 0;
};

void* answerDeepChain(void* argument) {
    DeepChain& chain = *static_cast<DeepChain*>(argument);
    chain.cycle = cycle::findGraphCycle(chain.offsets.data(), chain.targets.data(), chain.n);
    chain.order_size =
        cycle::topologicalOrder(chain.offsets.data(), chain.targets.data(), chain.n).order.size();
    std::vector<uint32_t> component(chain.n);
    chain.components = cycle::stronglyConnected(chain.offsets.data(), chain.targets.data(), chain.n,
                                                component.data());
    return nullptr;
}

TEST(GraphTest, ADeepChainRunsOnASmallStack) {
    const size_t n = size_t{1} << 20;
    std::vector<uint32_t> path(n);
    std::iota(path.begin(), path.end(), 0);
    std::shuffle(path.begin(), path.end(), std::mt19937_64(3));
    for (bool closed : {false, true}) {
        DeepChain chain;
        chain.n = n;
        chain.closed = closed;
        std::vector<uint32_t> successor(n, UINT32_MAX);
        for (size_t i = 0; i + 1 < n; i++) {
            successor[path[i]] = path[i + 1];
        }
        if (closed) {
            successor[path[n - 1]] = path[0];
        }
        for (size_t v = 0; v < n; v++) {
            chain.offsets.push_back(static_cast<uint32_t>(chain.targets.size()));
            if (successor[v] != UINT32_MAX) {
                chain.targets.push_back(successor[v]);
            }
        }
        chain.offsets.push_back(static_cast<uint32_t>(chain.targets.size()));
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        ASSERT_EQ(pthread_attr_setstacksize(&attributes, 64 * 1024), 0);
        pthread_t thread;
        ASSERT_EQ(pthread_create(&thread, &attributes, answerDeepChain, &chain), 0);
        pthread_join(thread, nullptr);
        pthread_attr_destroy(&attributes);
        EXPECT_EQ(chain.cycle.size(), closed ? n : 0);
        EXPECT_EQ(chain.order_size, closed ? 0 : n);
        EXPECT_EQ(chain.components, closed ? 1 : n);
    }
}

} // namespace

namespace {

// The cycle and the order's cycle of g in every pairing of vertex and
// offset types, and through the ...Of forms, as vertex lists.
std::vector<std::vector<size_t>> cyclesInEveryType(const Lists& g) {
    std::vector<std::vector<size_t>> found;
    auto add = [&found](const auto& cycle) { found.emplace_back(cycle.begin(), cycle.end()); };
    const size_t n = g.size();
    const Csr<uint32_t, uint32_t> narrow = toCsr<uint32_t, uint32_t>(g, 0);
    const Csr<int64_t, int64_t> wide = toCsr<int64_t, int64_t>(g, 0);
    const Csr<uint32_t, uint64_t> mixed = toCsr<uint32_t, uint64_t>(g, 0);
    add(cycle::findGraphCycle(narrow.offsets.data(), narrow.targets.data(), n));
    add(cycle::findGraphCycle(wide.offsets.data(), wide.targets.data(), n));
    add(cycle::findGraphCycle(mixed.offsets.data(), mixed.targets.data(), n));
    add(cycle::topologicalOrder(wide.offsets.data(), wide.targets.data(), n).cycle);
    auto row = [&g](int32_t v) -> const std::vector<size_t>& { return g[static_cast<size_t>(v)]; };
    add(cycle::findGraphCycleOf(static_cast<int32_t>(n), row));
    add(cycle::topologicalOrderOf(static_cast<int32_t>(n), row).cycle);
    return found;
}

// The same vertices and edges give the same cycle whatever the types hold
// them: every choice the search makes hangs on n and the edge count alone.
TEST(GraphTest, TheSameGraphGivesTheSameCycleInEveryType) {
    // 1 <-> 2 out of reach of 0, a path 0 -> 3 -> ... -> 1002 closed by
    // 1002 <-> 1003, and 149,000 edges from n - 1 to n - 2: 32-bit arrays
    // lie under the switch to the far budget, 64-bit ones over it.
    const size_t n = 100000;
    Lists g(n);
    g[1] = {2};
    g[2] = {1};
    g[0] = {3};
    for (size_t v = 3; v < 1002; v++) {
        g[v] = {v + 1};
    }
    g[1002] = {1003};
    g[1003] = {1002};
    g[n - 1].assign(149000, n - 2);
    for (const auto& cycle : cyclesInEveryType(g)) {
        EXPECT_EQ(cycle, (std::vector<size_t>{1002, 1003}));
    }
    // Random sparse graphs about the switch.
    std::mt19937_64 random(39);
    for (int trial = 0; trial < 20; trial++) {
        const size_t size = 40000 + random() % 60000;
        Lists h(size);
        const size_t edges = size + random() % (2 * size);
        for (size_t e = 0; e < edges; e++) {
            const size_t u = random() % size;
            // Mostly forward, so that cycles are few and lie deep.
            const size_t w = random() % 64 == 0 ? random() % size : u + 1 + random() % 4;
            if (w < size) {
                h[u].push_back(w);
            }
        }
        const auto found = cyclesInEveryType(h);
        for (const auto& cycle : found) {
            EXPECT_EQ(cycle, found[0]) << "trial " << trial;
        }
    }
}

} // namespace

namespace {

// A DAG on n vertices: per_vertex n edges between random pairs, each from
// the lower of a random ranking to the higher; rank[i] is the vertex ranked
// i.
Lists rankedDag(std::mt19937_64& random, size_t n, size_t per_vertex, std::vector<size_t>& rank) {
    rank.resize(n);
    std::iota(rank.begin(), rank.end(), 0);
    std::shuffle(rank.begin(), rank.end(), random);
    Lists g(n);
    for (size_t e = 0; e < per_vertex * n; e++) {
        size_t a = random() % n;
        size_t b = random() % n;
        if (a != b) {
            g[rank[std::min(a, b)]].push_back(rank[std::max(a, b)]);
        }
    }
    return g;
}

// A side x side grid, edges right and down: one source, and a front the
// search's path cuts across.
Lists grid(size_t side) {
    Lists g(side * side);
    for (size_t v = 0; v < side * side; v++) {
        if ((v + 1) % side != 0) {
            g[v].push_back(v + 1);
        }
        if (v + side < side * side) {
            g[v].push_back(v + side);
        }
    }
    return g;
}

// Checks the answers of g too big for the brute-force truth by what they
// are: an order with every edge forward, or a cycle of g's edges, the same
// from both functions and in every type.
void checkLarge(const Lists& g, bool acyclic) {
    const size_t n = g.size();
    const Csr<uint32_t, uint32_t> csr = toCsr<uint32_t, uint32_t>(g, 0);
    const std::vector<uint32_t> cycle =
        cycle::findGraphCycle(csr.offsets.data(), csr.targets.data(), n);
    const cycle::Order<uint32_t> order =
        cycle::topologicalOrder(csr.offsets.data(), csr.targets.data(), n);
    EXPECT_EQ(order.cycle, cycle);
    if (acyclic) {
        EXPECT_TRUE(cycle.empty());
        EXPECT_TRUE(isOrder(g, order.order));
    } else {
        EXPECT_TRUE(isCycle(g, cycle));
        EXPECT_TRUE(order.order.empty());
        for (const auto& found : cyclesInEveryType(g)) {
            EXPECT_EQ(found, std::vector<size_t>(cycle.begin(), cycle.end()));
        }
    }
}

// The search and the peel race: the peel wins on DAGs, even where the
// search's path blocks its front (the grid) and it must be taken back; the
// search wins where a cycle lies in reach; the peel stops at a cycle out of
// the search's early reach, which the search alone then finds. Each below
// and above the size where the race changes its shares (2 MiB of rows).
TEST(GraphTest, TheSearchAndThePeelRaceToTheSameAnswers) {
    std::mt19937_64 random(391);
    for (size_t n : {size_t{1} << 12, size_t{1} << 16}) {
        SCOPED_TRACE(n);
        std::vector<size_t> rank;
        const Lists dag = rankedDag(random, n, 8, rank);
        checkLarge(dag, true);
        checkLarge(rankedDag(random, n, 1, rank), true);
        // The far grid has 2^18 vertices: at 2 edges a vertex, fewer lie near.
        const size_t side = n == 4096 ? 64 : 512;
        checkLarge(grid(side), true);

        // Short cycles planted along the ranking: the search meets one.
        Lists planted = dag;
        for (int c = 0; c < 4; c++) {
            const size_t first = random() % (n - 9);
            for (size_t i = first; i < first + 8; i++) {
                planted[rank[i]].push_back(rank[i + 1]);
            }
            planted[rank[first + 8]].push_back(rank[first]);
        }
        checkLarge(planted, false);

        // A cycle reached only from the last vertex: the peel takes all
        // else and stops at it; a grid keeps the search busy meanwhile.
        Lists hidden = grid(side);
        const size_t last = side * side;
        hidden.resize(last + 3);
        hidden[last + 2] = {last};
        hidden[last] = {last + 1};
        hidden[last + 1] = {last};
        checkLarge(hidden, false);

        // Cycles everywhere, and a chain in shuffled order with and without
        // its edge back.
        checkLarge(randomGraph(random, n, 8 * n, false), false);
        std::vector<size_t> path(n);
        std::iota(path.begin(), path.end(), 0);
        std::shuffle(path.begin(), path.end(), random);
        Lists chain(n);
        for (size_t i = 0; i + 1 < n; i++) {
            chain[path[i]].push_back(path[i + 1]);
        }
        checkLarge(chain, true);
        chain[path[n - 1]].push_back(path[n / 2]);
        checkLarge(chain, false);
    }
}

// A target out of range that the search meets first is still reported as
// the first in order, which the count pass finds.
TEST(GraphTest, TheFirstBadTargetInOrderIsNamedWhateverTheSearchMeets) {
    const size_t n = 50;
    Lists g(n);
    g[0] = {n - 1};
    g[1] = {n + 1};     // first in order, out of the search's reach
    g[n - 1] = {n + 5}; // met by the search first
    const Csr<uint32_t, uint32_t> csr = toCsr<uint32_t, uint32_t>(g, 0);
    for (int form = 0; form < 2; form++) {
        try {
            if (form == 0) {
                cycle::findGraphCycle(csr.offsets.data(), csr.targets.data(), n);
            } else {
                cycle::topologicalOrder(csr.offsets.data(), csr.targets.data(), n);
            }
            ADD_FAILURE() << "no throw";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find("vertex 1 has successor 51"), std::string::npos)
                << e.what();
        }
    }
}

} // namespace

namespace {

// Kosaraju's two searches, the tests' own truth for graphs too big for the
// reachability matrix: each vertex's component as the lowest vertex in it.
std::vector<size_t> componentLeaders(const Lists& g) {
    const size_t n = g.size();
    Lists back(n);
    for (size_t u = 0; u < n; u++) {
        for (size_t w : g[u]) {
            back[w].push_back(u);
        }
    }
    std::vector<size_t> finish;
    std::vector<bool> seen(n, false);
    for (size_t s = 0; s < n; s++) {
        if (seen[s]) {
            continue;
        }
        std::vector<std::pair<size_t, size_t>> stack{{s, 0}};
        seen[s] = true;
        while (!stack.empty()) {
            auto& [v, i] = stack.back();
            if (i < g[v].size()) {
                const size_t w = g[v][i++];
                if (!seen[w]) {
                    seen[w] = true;
                    stack.push_back({w, 0});
                }
            } else {
                finish.push_back(v);
                stack.pop_back();
            }
        }
    }
    std::vector<size_t> leader(n, n);
    for (size_t k = n; k-- > 0;) {
        const size_t s = finish[k];
        if (leader[s] != n) {
            continue;
        }
        std::vector<size_t> members{s};
        std::vector<size_t> stack{s};
        leader[s] = s;
        while (!stack.empty()) {
            const size_t v = stack.back();
            stack.pop_back();
            for (size_t w : back[v]) {
                if (leader[w] == n) {
                    leader[w] = s;
                    members.push_back(w);
                    stack.push_back(w);
                }
            }
        }
        const size_t lowest = *std::min_element(members.begin(), members.end());
        for (size_t v : members) {
            leader[v] = lowest;
        }
    }
    return leader;
}

// stronglyConnected on g against Kosaraju's: the same partition, every
// number in [0, count) used, every edge from a number to one no higher.
void checkLargeComponents(const Lists& g) {
    const size_t n = g.size();
    const Csr<uint32_t, uint32_t> csr = toCsr<uint32_t, uint32_t>(g, 0);
    std::vector<uint32_t> component(n);
    const size_t count =
        cycle::stronglyConnected(csr.offsets.data(), csr.targets.data(), n, component.data());
    const std::vector<size_t> leader = componentLeaders(g);
    std::vector<size_t> number_of_leader(n, SIZE_MAX);
    std::vector<bool> used(count, false);
    size_t leaders = 0;
    for (size_t v = 0; v < n; v++) {
        ASSERT_LT(component[v], count);
        used[component[v]] = true;
        size_t& number = number_of_leader[leader[v]];
        if (number == SIZE_MAX) {
            number = component[v];
            leaders++;
        }
        ASSERT_EQ(number, component[v]) << "vertex " << v << " apart from its component";
        for (size_t w : g[v]) {
            ASSERT_GE(component[v], component[w]) << "edge " << v << " -> " << w;
        }
    }
    EXPECT_EQ(leaders, count);
    EXPECT_EQ(std::count(used.begin(), used.end(), false), 0);
}

// Graphs too big for the reachability matrix against Kosaraju's searches:
// a random graph (one big component and strays), a big component with
// small ones and trees hanging off both ways, a 2-cycle that the big
// component feeds, holding the vertex with the most in-edges, and a DAG
// behind a ring, and a ring in shuffled order with trees feeding it and
// hanging off it. Below and above the size where the big component is
// found by reachability.
TEST(GraphTest, LargeGraphsSplitIntoComponentsAsKosarajuSplitsThem) {
    std::mt19937_64 random(393);
    for (size_t n : {size_t{1} << 12, size_t{1} << 17}) {
        SCOPED_TRACE(n);
        checkLargeComponents(randomGraph(random, n, 8 * n, false));
        checkLargeComponents(randomGraph(random, n, 2 * n, false));

        // The first half one big component; the second half small cycles
        // and single vertices, each with edges into it or out of it, or
        // between themselves.
        Lists hanging = randomGraph(random, n / 2, 4 * n, false);
        hanging.resize(n);
        for (size_t v = n / 2; v + 3 < n; v += 4) {
            hanging[v] = {v + 1};
            hanging[v + 1] = {v, v + 2};
            hanging[v + 2].push_back(random() % (n / 2));
            hanging[random() % (n / 2)].push_back(v + 3);
            hanging[v + 3].push_back(v + 4 < n ? v + 4 : v);
        }
        checkLargeComponents(hanging);

        // The vertex with the most in-edges lies in a 2-cycle that the big
        // component feeds.
        Lists fed = randomGraph(random, n - 2, 4 * n, false);
        fed.resize(n);
        fed[n - 2] = {n - 1};
        fed[n - 1] = {n - 2};
        for (size_t v = 0; v < n - 2; v += 2) {
            fed[v].push_back(n - 2);
        }
        checkLargeComponents(fed);

        // A ring in shuffled order, which the passes that mark the big
        // component give up on, with trees feeding it and hanging off it.
        std::vector<size_t> path(2 * n);
        std::iota(path.begin(), path.end(), 0);
        std::shuffle(path.begin(), path.end(), random);
        Lists ring(2 * n);
        for (size_t i = 0; i < n; i++) {
            ring[path[i]].push_back(path[(i + 1) % n]);
        }
        for (size_t i = n; i < 2 * n; i++) {
            const size_t other = path[random() % i];
            if (i % 2 == 0) {
                ring[path[i]].push_back(other);
            } else {
                ring[other].push_back(path[i]);
            }
        }
        checkLargeComponents(ring);

        std::vector<size_t> rank;
        Lists behind = rankedDag(random, n, 4, rank);
        for (size_t i = 0; i + 1 < n / 8; i++) {
            behind[rank[n - n / 8 + i]].push_back(rank[n - n / 8 + i + 1]);
        }
        behind[rank[n - 1]].push_back(rank[n - n / 8]);
        checkLargeComponents(behind);
    }
}

} // namespace

namespace {

// count chains numbered at random through fresh vertices, each of length
// vertices, appended to g; returns them in order.
std::vector<std::vector<size_t>> addChains(Lists& g, std::mt19937_64& random, size_t count,
                                           size_t length) {
    const size_t first = g.size();
    g.resize(first + count * length);
    std::vector<size_t> ids(count * length);
    std::iota(ids.begin(), ids.end(), first);
    std::shuffle(ids.begin(), ids.end(), random);
    std::vector<std::vector<size_t>> chains(count);
    for (size_t c = 0; c < count; c++) {
        chains[c].assign(ids.begin() + c * length, ids.begin() + (c + 1) * length);
        for (size_t i = 0; i + 1 < length; i++) {
            g[chains[c][i]].push_back(chains[c][i + 1]);
        }
    }
    return chains;
}

// Graphs made mostly of long paths of one in-edge and one out-edge, where
// the peel far from the caches contracts them: chains with branches into
// them and out of them at both ends, a chain that the search starts near
// the end of and finishes in part before the peel is through, rings of
// chain vertices beside a DAG, self-loops among the chains, and a cycle
// through chains that the contracted peel stops at. Each below and above
// the size where the graph lies far.
TEST(GraphTest, LongChainsAreContractedToTheSameAnswers) {
    std::mt19937_64 random(395);
    for (size_t n : {size_t{1} << 12, size_t{1} << 18}) {
        SCOPED_TRACE(n);
        // Sources branching into chains, chains merging into sinks and into
        // each other's middles, and a chain's end feeding another's start.
        Lists branched(8);
        const auto chains = addChains(branched, random, 64, n / 64);
        for (size_t c = 0; c < 64; c++) {
            branched[c % 4].push_back(chains[c].front());
            branched[chains[c].back()].push_back(4 + c % 4);
            if (c % 3 == 0) {
                branched[chains[c][n / 128]].push_back(chains[(c + 1) % 64][n / 256]);
            }
            if (c % 5 == 1 && c + 1 < 64) {
                branched[chains[c].back()].push_back(chains[c + 1].front());
            }
        }
        checkLarge(branched, true);
        checkLargeComponents(branched);

        // Vertex 0 near the end of one chain: the search finishes the rest
        // of it before the count pass is through.
        Lists late;
        auto one = addChains(late, random, 1, n);
        const size_t zero_at = std::find(one[0].begin(), one[0].end(), size_t{0}) - one[0].begin();
        std::swap(one[0][zero_at], one[0][n - 40]);
        late.assign(n, {});
        for (size_t i = 0; i + 1 < n; i++) {
            late[one[0][i]].push_back(one[0][i + 1]);
        }
        checkLarge(late, true);
        checkLargeComponents(late);
        late[one[0][n - 1]].push_back(one[0][n / 3]);
        checkLarge(late, false);
        checkLargeComponents(late);

        // Rings of chain vertices beside a DAG and chains, and self-loops.
        std::vector<size_t> rank;
        Lists rings = rankedDag(random, n / 4, 4, rank);
        const auto loops = addChains(rings, random, 16, n / 32);
        for (size_t c = 0; c < 16; c++) {
            if (c % 2 == 0) {
                rings[loops[c].back()].push_back(loops[c].front());
            } else {
                rings[rank[c]].push_back(loops[c].front());
            }
        }
        const size_t loops_from = rings.size();
        rings.resize(loops_from + n / 4);
        for (size_t v = loops_from; v < rings.size(); v++) {
            rings[v].push_back(v);
        }
        checkLarge(rings, false);
        checkLargeComponents(rings);

        // The peel takes a chain into a cycle of chains and stops there.
        Lists stuck;
        const auto parts = addChains(stuck, random, 8, n / 8);
        for (size_t c = 0; c < 8; c++) {
            stuck[parts[c].back()].push_back(parts[(c + 1) % 8][c == 7 ? 1 : 0]);
        }
        stuck[parts[7].back()].push_back(parts[0].front());
        checkLarge(stuck, false);
        checkLargeComponents(stuck);
    }
}

} // namespace
