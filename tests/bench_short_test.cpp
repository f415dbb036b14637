// The benchmark's short-list rows and period rows: the lists each row links
// and the verdicts of every short kernel on them, and the period kernels
// against a brute-force truth on small domains.
#include "kernels.h"
#include "period_kernels.h"
#include "short_lists.h"

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

// Each list has n nodes of its own; its tail goes nowhere, to its own head,
// or to a node of its own list; no node is in two lists.
TEST_P(ShortRows, LinkListsOfNNodesInTheirShape) {
    const ShortCase c = GetParam();
    ShortLists lists =
        linkShort({c.scattered ? "scattered" : "sequential", c.scattered, false}, c.shape, c.n);
    ASSERT_EQ(static_cast<int64_t>(lists.heads.size()), SHORT_NODES / c.n);
    EXPECT_EQ(lists.cyclic, c.shape == SHORT_LINEAR ? 0 : static_cast<int64_t>(lists.heads.size()));
    std::set<const Node*> seen;
    for (const Node* head : lists.heads) {
        std::vector<const Node*> nodes = walk(head, c.n);
        ASSERT_EQ(static_cast<int64_t>(nodes.size()), c.n);
        const Node* after_tail = nodes.back()->next;
        if (c.shape == SHORT_LINEAR) {
            EXPECT_EQ(after_tail, nullptr);
        } else if (c.shape == SHORT_HEAD) {
            EXPECT_EQ(after_tail, head);
        } else {
            EXPECT_NE(std::find(nodes.begin(), nodes.end(), after_tail), nodes.end());
        }
        for (const Node* node : nodes) {
            EXPECT_TRUE(seen.insert(node).second) << "a node in two lists";
        }
    }
}

// Every short kernel, plain and counting, calls every list what it is; each
// but the hare, whose look at a list's first links counts nothing, moves
// along every node at least once.
TEST_P(ShortRows, EveryKernelGivesEveryVerdict) {
    const ShortCase c = GetParam();
    ShortLists lists =
        linkShort({c.scattered ? "scattered" : "sequential", c.scattered, false}, c.shape, c.n);
    for (size_t i = 0; i < SHORT_KERNEL_COUNT; i++) {
        NoCounts none;
        StepCounts counts;
        EXPECT_EQ(SHORT_KERNELS[i].check(lists, none), lists.cyclic) << SHORT_KERNELS[i].name;
        EXPECT_EQ(SHORT_KERNELS[i].count(lists, counts), lists.cyclic) << SHORT_KERNELS[i].name;
        if (std::strcmp(SHORT_KERNELS[i].name, "hare") != 0) {
            EXPECT_GE(counts.moves, static_cast<int64_t>(lists.heads.size()) * c.n)
                << SHORT_KERNELS[i].name << ": fewer moves than nodes";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    ShapesAndSizes, ShortRows,
    testing::Values(ShortCase{false, SHORT_LINEAR, 1}, ShortCase{false, SHORT_HEAD, 1},
                    ShortCase{false, SHORT_RANDOM, 1}, ShortCase{true, SHORT_RANDOM, 2},
                    ShortCase{false, SHORT_HEAD, 7}, ShortCase{true, SHORT_LINEAR, 64},
                    ShortCase{false, SHORT_RANDOM, 300}, ShortCase{true, SHORT_HEAD, 512},
                    ShortCase{true, SHORT_RANDOM, 512}));

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
