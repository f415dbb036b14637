// The benchmark's short-list rows and period rows: the lists each row links
// and the verdicts of every short kernel on them, and the period kernels
// against a brute-force truth on small domains.
#include "cycle/mapping.h"
#include "mapping/mapping_kernels.h"
#include "mapping/mapping_sets.h"
#include "period/period_kernels.h"
#include "short/short_kernels.h"
#include "short/short_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>

namespace {

// Walks the list from head for at most limit nodes: its nodes in order.
std::vector<const Node*> walk(const Node* head, int64_t limit) {
    std::vector<const Node*> nodes;
    for (const Node* node = head; node != nullptr && static_cast<int64_t>(nodes.size()) < limit;
         node = node->next) {
        nodes.push_back(node);
    }
    return nodes;
}

struct ShortCase {
    bool scattered;
    ShortShape shape;
    int64_t n;
};

class ShortRows : public testing::TestWithParam<ShortCase> {};

// Each list has its own nodes, n of them, or for the mixed shapes a length
// from 1 to 2n - 1 that varies from list to list; its tail goes nowhere, to
// its own head, or to a node of its own list; no node is in two lists.
TEST_P(ShortRows, LinkListsInTheirShape) {
    const ShortCase c = GetParam();
    ShortLists lists =
        linkShort({c.scattered ? "scattered" : "sequential", c.scattered, false}, c.shape, c.n);
    const bool mixed = c.shape == SHORT_MIXED || c.shape == SHORT_MIXED_HEAD;
    ASSERT_EQ(lists.lengths.size(), lists.heads.size());
    if (!mixed) {
        ASSERT_EQ(static_cast<int64_t>(lists.heads.size()), SHORT_NODES / c.n);
    }
    EXPECT_EQ(lists.cyclic,
              shortShapeLinear(c.shape) ? 0 : static_cast<int64_t>(lists.heads.size()));
    std::set<const Node*> seen;
    std::set<int64_t> lengths;
    for (size_t i = 0; i < lists.heads.size(); i++) {
        const Node* head = lists.heads[i];
        const int64_t length = lists.lengths[i];
        ASSERT_GE(length, 1);
        ASSERT_LE(length, mixed ? 2 * c.n - 1 : c.n);
        lengths.insert(length);
        std::vector<const Node*> nodes = walk(head, length);
        ASSERT_EQ(static_cast<int64_t>(nodes.size()), length);
        const Node* after_tail = nodes.back()->next;
        if (shortShapeLinear(c.shape)) {
            EXPECT_EQ(after_tail, nullptr);
        } else if (c.shape == SHORT_HEAD || c.shape == SHORT_MIXED_HEAD) {
            EXPECT_EQ(after_tail, head);
        } else {
            EXPECT_NE(std::find(nodes.begin(), nodes.end(), after_tail), nodes.end());
        }
        for (const Node* node : nodes) {
            EXPECT_TRUE(seen.insert(node).second) << "a node in two lists";
        }
    }
    if (mixed) {
        // Lists use the node set up to the last whole one; where there are
        // many lists a length, every length from 1 to 2n - 1 turns up.
        EXPECT_GT(static_cast<int64_t>(seen.size()), SHORT_NODES - 2 * c.n);
        if (c.n <= 16) {
            EXPECT_EQ(static_cast<int64_t>(lengths.size()), 2 * c.n - 1);
        }
    }
}

// Every short kernel, plain and counting, calls every list what it is; each
// but the hare, whose look at a list's first links counts nothing, moves
// along every node at least once. So do the walks of the walk floor.
TEST_P(ShortRows, EveryKernelGivesEveryVerdict) {
    const ShortCase c = GetParam();
    ShortLists lists =
        linkShort({c.scattered ? "scattered" : "sequential", c.scattered, false}, c.shape, c.n);
    for (size_t i = 0; i < SHORT_KERNEL_COUNT; i++) {
        if (SHORT_KERNELS[i].linear_only && !shortShapeLinear(c.shape)) {
            continue;
        }
        NoCounts none;
        StepCounts counts;
        EXPECT_EQ(SHORT_KERNELS[i].check(lists, none), lists.cyclic) << SHORT_KERNELS[i].name;
        EXPECT_EQ(SHORT_KERNELS[i].count(lists, counts), lists.cyclic) << SHORT_KERNELS[i].name;
        if (std::strcmp(SHORT_KERNELS[i].name, "hare") != 0) {
            int64_t nodes = 0;
            for (int64_t length : lists.lengths) {
                nodes += length;
            }
            EXPECT_GE(counts.moves, nodes) << SHORT_KERNELS[i].name << ": fewer moves than nodes";
        }
    }
    // The walks the walk floor is the fastest of end on every linear list,
    // odd lengths under two steps a turn included.
    if (shortShapeLinear(c.shape)) {
        for (size_t i = 0; i < SHORT_WALK_FLOOR_COUNT; i++) {
            NoCounts none;
            EXPECT_EQ(SHORT_WALK_FLOORS[i](lists, none), lists.cyclic) << "walk floor " << i;
        }
    }
    // The in-flight floor of the kernels that check lists in flight walks
    // each list exactly its length, as no detector can do with less, however
    // many lists it keeps going; a cursor handed the wrong list or length
    // shows in the verdicts or the moves.
    StepCounts flight;
    EXPECT_EQ(shortTraverseInFlight(lists, flight), lists.cyclic);
    int64_t nodes = 0;
    for (int64_t length : lists.lengths) {
        nodes += length;
    }
    EXPECT_EQ(flight.moves, nodes);
}

INSTANTIATE_TEST_SUITE_P(
    ShapesAndSizes, ShortRows,
    testing::Values(ShortCase{false, SHORT_LINEAR, 1}, ShortCase{false, SHORT_HEAD, 1},
                    ShortCase{false, SHORT_RANDOM, 1}, ShortCase{true, SHORT_RANDOM, 2},
                    ShortCase{false, SHORT_HEAD, 7}, ShortCase{true, SHORT_LINEAR, 64},
                    ShortCase{false, SHORT_RANDOM, 300}, ShortCase{true, SHORT_HEAD, 512},
                    ShortCase{true, SHORT_RANDOM, 512}, ShortCase{false, SHORT_MIXED, 1},
                    ShortCase{true, SHORT_MIXED, 8}, ShortCase{false, SHORT_MIXED_HEAD, 3},
                    ShortCase{true, SHORT_MIXED_HEAD, 300}));

// mu, lambda and the entry of the sequence from start under f, from the
// first position of every value.
template <typename F> PeriodFound truth(uint64_t start, F f) {
    std::map<uint64_t, int64_t> first;
    uint64_t x = start;
    for (int64_t i = 0;; i++) {
        auto seen = first.find(x);
        if (seen != first.end()) {
            return {x, seen->second, i - seen->second};
        }
        first.emplace(x, i);
        x = f(x);
    }
}

class PeriodRows : public testing::TestWithParam<FunctionKind> {};

// On small domains every period kernel finds the exact mu, lambda and entry,
// and the floor iterates exactly the values asked for.
TEST_P(PeriodRows, KernelsMatchTheTruth) {
    const FunctionKind kind = GetParam();
    const int bits = 16;
    const Mix mix{(uint64_t{1} << bits) - 1};
    for (uint64_t start : {1u, 77u, 4321u}) {
        const PeriodFound expected = kind == FUNCTION_MIX   ? truth(start, mix)
                                     : kind == FUNCTION_RHO ? truth(start, Rho{65521})
                                                            : truth(start, Slow{mix});
        const int64_t mu = expected.mu;
        const int64_t lambda = expected.lambda;
        for (size_t i = 0; i < PERIOD_KERNEL_COUNT; i++) {
            const PeriodKernel& kernel = PERIOD_KERNELS[i];
            int64_t calls = 0;
            PeriodFound found = kernel.run(kind, bits, start, mu + lambda, &calls);
            SCOPED_TRACE(std::string(kernel.name) + " from " + std::to_string(start));
            if (std::strcmp(kernel.name, "floor") == 0) {
                EXPECT_EQ(calls, mu + lambda);
                continue;
            }
            EXPECT_EQ(found.mu, mu);
            EXPECT_EQ(found.lambda, lambda);
            EXPECT_EQ(found.entry, expected.entry);
            EXPECT_GE(calls, mu + lambda);
            PeriodFound plain = kernel.run(kind, bits, start, 0, nullptr);
            EXPECT_EQ(plain.entry, found.entry) << "counting changed the answer";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Functions, PeriodRows,
                         testing::Values(FUNCTION_MIX, FUNCTION_RHO, FUNCTION_SLOW));

} // namespace

// The mapping rows' kernels on every shape the rows use: each finds the
// cycles the textbook walk finds, and stackwalk, the textbook full answer
// the library's traceAll is measured against, gives traceAll's every end
// and distance.
class MappingRows : public ::testing::TestWithParam<MapShape> {};

TEST_P(MappingRows, KernelsMatchTheTextbookWalk) {
    for (uint64_t m : {uint64_t{1}, uint64_t{1000}, uint64_t{1} << 14}) {
        const std::vector<uint32_t>& next = mapping(GetParam(), m);
        const MapFound truth = mapTextbook().run(next.data(), m, 1, nullptr);
        for (size_t i = 1; i < MAP_KERNEL_COUNT; i++) {
            for (unsigned threads : {1u, 2u}) {
                const MapFound found = MAP_KERNELS[i].run(next.data(), m, threads, nullptr);
                EXPECT_EQ(found.cycles, truth.cycles) << MAP_KERNELS[i].name << ", m " << m;
                EXPECT_EQ(found.on_cycles, truth.on_cycles) << MAP_KERNELS[i].name << ", m " << m;
            }
        }
        std::vector<uint32_t> end(m), distance(m), own_end(m), own_distance(m);
        const MapFound stacked = traceByStack(next.data(), m, end.data(), distance.data());
        const cycle::MapSummary summary =
            cycle::traceAll(next.data(), m, own_end.data(), own_distance.data());
        EXPECT_EQ(stacked.cycles, summary.cycles);
        EXPECT_EQ(stacked.on_cycles, summary.on_cycles);
        EXPECT_EQ(end, own_end) << "m " << m;
        EXPECT_EQ(distance, own_distance) << "m " << m;
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, MappingRows,
                         ::testing::Values(MAP_RANDOM, MAP_PERMUTATION, MAP_FOREST, MAP_FOREST_LOOP,
                                           MAP_CHAIN),
                         [](const ::testing::TestParamInfo<MapShape>& info) {
                             return std::string(mapShapeName(info.param));
                         });
