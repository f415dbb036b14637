// The benchmark's kernels: the closed forms and bounds of their step counts,
// their verdicts on relinked node sets of every shape, the sweep's target
// index, and Nivasch's stacks on increasing addresses.
#include "common/node_sets.h"
#include "cycle/detect.h"
#include "hare_walk.h"
#include "link_reversal.h"
#include "lists/list_kernels.h"
#include "many/many_lists.h"
#include "short/short_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// n nodes in one array (so their addresses increase in list order), as the
// order a list is linked in.
struct Nodes {
    std::vector<Node> storage;
    std::vector<Node*> order;
};

Nodes makeNodes(int64_t n) {
    Nodes nodes{std::vector<Node>(static_cast<size_t>(n)), {}};
    for (Node& node : nodes.storage) {
        nodes.order.push_back(&node);
    }
    return nodes;
}

// Every tail target of a list of n nodes: -1 (linear), then 0 to n - 1.
std::vector<int64_t> allTargets(int64_t n) {
    std::vector<int64_t> targets;
    for (int64_t k = -1; k < n; k++) {
        targets.push_back(k);
    }
    return targets;
}

TEST(StepCounts, HareMakesTheGuaranteedNumberOfPassesOnALinearList) {
    for (int64_t n : {3, 4, 5, 6, 7, 100, 101, 4097}) {
        Nodes nodes = makeNodes(n);
        StepCounts counts;
        EXPECT_EQ(hareWalkCounted(linkShape(nodes.order, -1).head, counts).cyclic, 0);
        int64_t passes = (n - 2) / 2;
        EXPECT_EQ(counts.chain, 2 + 2 * passes) << "n = " << n;
        EXPECT_EQ(counts.moves, 2 + 3 * passes) << "n = " << n;
        EXPECT_EQ(counts.writes, 0);
    }
}

TEST(StepCounts, HareMeetsWithinNMinusOnePassesAroundACycle) {
    for (int64_t n : {3, 4, 5, 17, 100, 257}) {
        Nodes nodes = makeNodes(n);
        for (int64_t k = 0; k < n; k++) {
            StepCounts counts;
            EXPECT_EQ(hareWalkCounted(linkShape(nodes.order, k).head, counts).cyclic, 1);
            int64_t passes = (counts.chain - 2) / 2;
            EXPECT_LE(passes, n - 1) << "n = " << n << ", k = " << k;
            EXPECT_EQ(counts.moves, 2 + 3 * passes);
        }
    }
}

TEST(StepCounts, ReversalMakesNPassesOrNPlusKPlusOneAroundACycle) {
    for (int64_t n : {3, 4, 9, 64}) {
        Nodes nodes = makeNodes(n);
        for (int64_t k : allTargets(n)) {
            StepCounts counts;
            reverseLinksCounted(linkShape(nodes.order, k).head, counts);
            int64_t passes = k < 0 ? n : n + k + 1;
            EXPECT_EQ(counts.writes, passes) << "n = " << n << ", k = " << k;
            EXPECT_EQ(counts.moves, passes);
            EXPECT_EQ(counts.chain, passes);
        }
    }
}

// mu nodes lead into a cycle of lambda: the shortest any detector can take is
// mu + lambda moves, to the first node seen twice.
struct CycleBound {
    const char* kernel;
    int64_t (*most_moves)(int64_t mu, int64_t lambda);
};

void PrintTo(const CycleBound& bound, std::ostream* os) {
    *os << bound.kernel;
}

class MovesWithinBound : public testing::TestWithParam<CycleBound> {};

TEST_P(MovesWithinBound, OnEveryShapeOfSmallLists) {
    const Kernel* kernel = nullptr;
    for (size_t i = 0; i < KERNEL_COUNT; i++) {
        if (std::string(KERNELS[i].name) == GetParam().kernel) {
            kernel = &KERNELS[i];
        }
    }
    ASSERT_NE(kernel, nullptr);
    for (int64_t n : {1, 2, 3, 5, 17, 100, 333}) {
        Nodes nodes = makeNodes(n);
        for (int64_t k : allTargets(n)) {
            StepCounts counts;
            int cyclic = kernel->count(linkShape(nodes.order, k), counts);
            SCOPED_TRACE("n = " + std::to_string(n) + ", k = " + std::to_string(k));
            EXPECT_EQ(cyclic, k >= 0 ? 1 : 0);
            if (k < 0) {
                EXPECT_EQ(counts.moves, n) << "a linear list is walked to its end";
            } else {
                EXPECT_GE(counts.moves, n);
                EXPECT_LE(counts.moves, GetParam().most_moves(k, n - k));
            }
            EXPECT_EQ(counts.chain, counts.moves);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Detectors, MovesWithinBound,
    testing::Values(
        CycleBound{"brent",
                   [](int64_t mu, int64_t lambda) { return 2 * std::max(mu, lambda) + lambda; }},
        CycleBound{"nivasch", [](int64_t mu, int64_t lambda) { return mu + 2 * lambda; }},
        CycleBound{"hashset", [](int64_t mu, int64_t lambda) { return mu + lambda; }}),
    [](const testing::TestParamInfo<CycleBound>& info) { return std::string(info.param.kernel); });

TEST(NivaschStacks, StayLogarithmicOnIncreasingAddresses) {
    const int64_t n = 100000;
    Nodes nodes = makeNodes(n);
    for (int64_t k : {int64_t{-1}, int64_t{0}, n / 2}) {
        StepCounts counts;
        EXPECT_EQ(nivasch(linkShape(nodes.order, k), counts), k >= 0 ? 1 : 0);
        // Unmixed, increasing values would all pile up in one stack's class.
        EXPECT_GT(counts.stack_peak, cycle::detail::NIVASCH_STACK_CAPACITY) << "k = " << k;
        EXPECT_LE(counts.stack_peak,
                  2 * cycle::detail::NIVASCH_STACKS * static_cast<int64_t>(std::log2(n)));
    }
}

// Nodes ordered by increasing value never pop, so a stack overflows; the walk
// must still decide, through the hand-over to Brent's method.
TEST(NivaschStacks, DecideEvenWhenAStackOverflows) {
    const int64_t n = 4 * cycle::detail::NIVASCH_STACKS * cycle::detail::NIVASCH_STACK_CAPACITY;
    Nodes nodes = makeNodes(n);
    Node* head = nodes.order[0];
    std::sort(nodes.order.begin() + 1, nodes.order.end(), [head](const Node* a, const Node* b) {
        return cycle::detail::nivaschValue(a, head) < cycle::detail::nivaschValue(b, head);
    });
    for (int64_t k : {int64_t{-1}, int64_t{0}, n / 3, n - 1}) {
        StepCounts counts;
        EXPECT_EQ(nivasch(linkShape(nodes.order, k), counts), k >= 0 ? 1 : 0) << "k = " << k;
        EXPECT_GE(counts.stack_peak, cycle::detail::NIVASCH_STACK_CAPACITY) << "a stack filled up";
    }
}

struct SweepCase {
    int percent;
    int64_t n;
    int64_t target;
};

class SweepTarget : public testing::TestWithParam<SweepCase> {};

TEST_P(SweepTarget, IsTheFloorOfPercentOfTheLastIndex) {
    const SweepCase& c = GetParam();
    ListShape shape{SHAPE_SWEEP, c.percent};
    EXPECT_EQ(tailTarget(shape, c.n), c.target);
    EXPECT_EQ(shapeName(shape), "k" + std::to_string(c.percent));
}

INSTANTIATE_TEST_SUITE_P(Sweep, SweepTarget,
                         testing::Values(SweepCase{0, 1000000, 0}, SweepCase{10, 1000000, 99999},
                                         SweepCase{50, 1000000, 499999},
                                         SweepCase{100, 1000000, 999999}, SweepCase{30, 7, 1},
                                         SweepCase{90, 11, 9}, SweepCase{100, 1, 0}));

TEST(Shapes, NameAndTargetTheFixedShapes) {
    EXPECT_EQ(tailTarget(ListShape{SHAPE_LINEAR, 0}, 1000), -1);
    EXPECT_EQ(tailTarget(ListShape{SHAPE_HEAD, 0}, 1000), 0);
    EXPECT_EQ(tailTarget(ListShape{SHAPE_MIDDLE, 0}, 1001), 500);
    EXPECT_EQ(tailTarget(ListShape{SHAPE_SELF, 0}, 1000), 999);
    EXPECT_EQ(shapeName(ListShape{SHAPE_MIDDLE, 0}), "middle");
}

// Each layout of a node set, relinked into each shape, gives every kernel the
// verdict the shape calls for, timed and counted alike; the scattered order
// is a permutation of the same nodes.
class RelinkedNodeSet : public testing::TestWithParam<Layout> {};

TEST_P(RelinkedNodeSet, GivesEveryKernelTheExpectedVerdict) {
    const int64_t n = 1000;
    const std::vector<Node*>& order = linkOrder(n, GetParam());
    std::vector<Node*> allocated = linkOrder(n, Layout{"sequential", false, false});
    EXPECT_EQ(order != allocated, GetParam().scattered);
    std::vector<Node*> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    std::sort(allocated.begin(), allocated.end());
    EXPECT_EQ(sorted, allocated) << "a layout only reorders the same nodes";
    std::vector<ListShape> shapes = {
        {SHAPE_LINEAR, 0}, {SHAPE_HEAD, 0}, {SHAPE_MIDDLE, 0}, {SHAPE_SELF, 0}};
    for (int percent = 0; percent <= 100; percent += 10) {
        shapes.push_back({SHAPE_SWEEP, percent});
    }
    for (size_t i = 0; i < KERNEL_COUNT; i++) {
        const Kernel& kernel = KERNELS[i];
        for (ListShape shape : shapes) {
            if (kernel.linear_only && shape.kind != SHAPE_LINEAR) {
                continue;
            }
            int64_t target = tailTarget(shape, n);
            SCOPED_TRACE(std::string(kernel.name) + " on " + shapeName(shape));
            NoCounts none;
            EXPECT_EQ(kernel.detect(linkShape(order, target), none), target >= 0 ? 1 : 0);
            StepCounts counts;
            EXPECT_EQ(kernel.count(linkShape(order, target), counts), target >= 0 ? 1 : 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, RelinkedNodeSet,
                         testing::Values(Layout{"sequential", false, false},
                                         Layout{"scattered", true, false}),
                         [](const testing::TestParamInfo<Layout>& info) {
                             return std::string(info.param.name);
                         });

// The many-list rows: every node in exactly one list, half the lists cyclic,
// and the floor walk and the check agree with that whatever the number in
// flight, even after the nodes were flushed from the caches.
class ManyListsOf : public testing::TestWithParam<int64_t> {};

TEST_P(ManyListsOf, CoverTheSetAndGiveEveryVerdict) {
    const int64_t n = 10007;
    const std::vector<Node*>& order = linkOrder(n, Layout{"scattered", true, false});
    ManyLists lists = linkMany(order, GetParam());
    flushNodes(order);
    ASSERT_EQ(static_cast<int64_t>(lists.heads.size()), GetParam());
    std::vector<const Node*> seen;
    int64_t cyclic_lists = 0;
    for (size_t i = 0; i < lists.heads.size(); i++) {
        const Node* node = lists.heads[i];
        for (int64_t step = 0; step < lists.lengths[i]; step++) {
            seen.push_back(node);
            node = node->next;
        }
        EXPECT_EQ(node != nullptr, lists.cyclic[i]) << "list " << i;
        cyclic_lists += lists.cyclic[i];
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end()) << "a node in two lists";
    EXPECT_EQ(static_cast<int64_t>(seen.size()), n);
    EXPECT_EQ(cyclic_lists, GetParam() / 2);

    for (size_t in_flight : {1, 4, 64}) {
        StepCounts walked;
        EXPECT_EQ(walkMany(lists, 0, lists.heads.size(), in_flight, walked), GetParam() / 2);
        EXPECT_EQ(walked.moves, n) << "the floor walks every list by its length";
        std::vector<char> cyclic(lists.heads.size() + 1, 2);
        StepCounts checked;
        size_t half = lists.heads.size() / 2;
        checkMany(lists, 0, half, in_flight, reinterpret_cast<bool*>(cyclic.data()), checked);
        checkMany(lists, half, lists.heads.size(), in_flight,
                  reinterpret_cast<bool*>(cyclic.data()), checked);
        for (size_t i = 0; i < lists.heads.size(); i++) {
            EXPECT_EQ(cyclic[i], lists.cyclic[i] ? 1 : 0) << "list " << i;
        }
        EXPECT_EQ(cyclic.back(), 2) << "written past the last list";
        EXPECT_GE(checked.moves, n);
        // The floor over two halves, as the threaded rows split it, walks
        // each list once, and an empty range walks nothing.
        StepCounts halves;
        EXPECT_EQ(walkMany(lists, 0, half, in_flight, halves) +
                      walkMany(lists, half, lists.heads.size(), in_flight, halves) +
                      walkMany(lists, half, half, in_flight, halves),
                  GetParam() / 2);
        EXPECT_EQ(halves.moves, n);
    }
}

// The huge-page node set is the same list: the same permutation of
// allocation indices (each node's val records its index), on other memory.
TEST(HugeLinkOrder, LinksTheSamePermutationOnOtherNodes) {
    for (bool scattered : {false, true}) {
        Layout layout{"any", scattered, false};
        const std::vector<Node*>& small = linkOrder(1000, layout);
        const std::vector<Node*>& huge = hugeLinkOrder(1000, layout);
        ASSERT_EQ(huge.size(), small.size());
        for (size_t i = 0; i < small.size(); i++) {
            EXPECT_EQ(huge[i]->val, small[i]->val) << "position " << i;
            EXPECT_NE(huge[i], small[i]);
        }
        EXPECT_EQ(linkShape(huge, 10).head, huge[0]);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, ManyListsOf, testing::Values(1, 2, 16, 1024, 10007));

} // namespace
