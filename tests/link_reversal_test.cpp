// The reverse-link decision on lists of known shape: what it concludes, what
// it leaves behind in the links, and a cross-check against the hare.
#include "hare_walk.h"
#include "link_reversal.h"
#include "lists/list_kernels.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// What the reversal must leave: a linear list fully reversed; around a cycle
// to k, the nodes before k as they were and the cycle running backwards.
std::vector<int> linksAfterReversal(Shape s) {
    std::vector<int> links(static_cast<size_t>(s.n));
    for (int i = 0; i < s.n; i++) {
        if (s.k < 0) {
            links[i] = i - 1;
        } else if (i < s.k) {
            links[i] = i + 1;
        } else {
            links[i] = i == s.k ? s.n - 1 : i - 1;
        }
    }
    return links;
}

struct ReversalCase {
    Shape shape;
    ReversalEnding ending;
    const char* test_line; // null when the full reversal decides
};

void PrintTo(const ReversalCase& c, std::ostream* os) {
    *os << shapeName(c.shape);
}

class ReverseLinksTest : public testing::TestWithParam<ReversalCase> {};

TEST_P(ReverseLinksTest, DecidesAndLeavesTheLinksInTheirPromisedShape) {
    const ReversalCase& c = GetParam();
    std::vector<Node> nodes = buildNodes(c.shape.n, c.shape.k);
    std::vector<int> before = successorIndices(nodes);
    ReversalVerdict verdict = reverseLinks(listOf(nodes).head);

    EXPECT_EQ(verdict.ending, c.ending);
    if (c.test_line == nullptr) {
        EXPECT_EQ(verdict.test_line, nullptr);
        EXPECT_EQ(successorIndices(nodes), linksAfterReversal(c.shape));
    } else {
        EXPECT_STREQ(verdict.test_line, c.test_line);
        EXPECT_EQ(successorIndices(nodes), before) << "the quick tests must not touch the list";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ReverseLinksTest,
    testing::Values(ReversalCase{{0, -1}, REVERSAL_LINEAR, "Empty List"},
                    ReversalCase{{1, -1}, REVERSAL_LINEAR, "Single Node,no self loop"},
                    ReversalCase{
                        {1, 0}, REVERSAL_EARLY_CYCLIC, "Cyclic, single node with self loop"},
                    ReversalCase{{2, -1}, REVERSAL_LINEAR, "Linked List"},
                    ReversalCase{{2, 0}, REVERSAL_EARLY_CYCLIC, "Cyclic"},
                    ReversalCase{{2, 1}, REVERSAL_EARLY_CYCLIC, "Cyclic"},
                    ReversalCase{{3, -1}, REVERSAL_LINEAR, nullptr},
                    ReversalCase{{3, 0}, REVERSAL_CYCLIC, nullptr},
                    ReversalCase{{3, 1}, REVERSAL_CYCLIC, nullptr},
                    ReversalCase{{3, 2}, REVERSAL_CYCLIC, nullptr},
                    ReversalCase{{4, -1}, REVERSAL_LINEAR, nullptr},
                    ReversalCase{{1000, -1}, REVERSAL_LINEAR, nullptr},
                    ReversalCase{{1000, 0}, REVERSAL_CYCLIC, nullptr},
                    ReversalCase{{1000, 500}, REVERSAL_CYCLIC, nullptr},
                    ReversalCase{{1000, 998}, REVERSAL_CYCLIC, nullptr},
                    ReversalCase{{1000, 999}, REVERSAL_CYCLIC, nullptr}),
    [](const testing::TestParamInfo<ReversalCase>& info) { return shapeName(info.param.shape); });

TEST(ReverseLinks, LinkingTheTailToItselfLeavesEveryLinkAsItWas) {
    for (int n : {3, 4, 17}) {
        std::vector<Node> nodes = buildNodes(n, n - 1);
        std::vector<int> before = successorIndices(nodes);
        EXPECT_EQ(reverseLinks(&nodes[0]).ending, REVERSAL_CYCLIC);
        EXPECT_EQ(successorIndices(nodes), before) << "n = " << n;
    }
}

// Every detector, the programs' two and the benchmark's, on many random
// shapes laid out in a random memory order, must agree with how the list was
// built. The reversal, which rewrites links, runs last.
TEST(CrossCheck, EveryDetectorAgreesWithTheGroundTruthOnRandomShapes) {
    std::mt19937 generator(20261208);
    for (int trial = 0; trial < 3000; trial++) {
        int n = std::uniform_int_distribution<int>(0, 120)(generator);
        int k = std::uniform_int_distribution<int>(-1, n - 1)(generator);
        std::vector<Node> storage(static_cast<size_t>(n));
        std::vector<Node*> order;
        for (Node& node : storage) {
            order.push_back(&node);
        }
        std::shuffle(order.begin(), order.end(), generator);
        for (int i = 0; i < n; i++) {
            order[i]->val = i;
            order[i]->next = i + 1 < n ? order[i + 1] : (k >= 0 ? order[k] : nullptr);
        }
        Node* head = n > 0 ? order[0] : nullptr;
        bool cyclic = k >= 0;
        SCOPED_TRACE("n = " + std::to_string(n) + ", k = " + std::to_string(k));

        EXPECT_EQ(hareWalk(head).cyclic, cyclic ? 1 : 0);
        BenchList list{head, order.data(), n};
        for (size_t i = 0; i < KERNEL_COUNT; i++) {
            const Kernel& kernel = KERNELS[i];
            if (std::string(kernel.name) == "reverse" || (kernel.linear_only && cyclic)) {
                continue;
            }
            NoCounts none;
            StepCounts counts;
            EXPECT_EQ(kernel.detect(list, none), cyclic ? 1 : 0) << kernel.name;
            EXPECT_EQ(kernel.count(list, counts), cyclic ? 1 : 0) << kernel.name;
        }
        ReversalVerdict verdict = reverseLinks(head);
        EXPECT_EQ(verdict.ending != REVERSAL_LINEAR, cyclic);
        // The reversal keeps every node reachable from the head, and a cycle
        // stays a cycle: the hare must still see the same answer.
        if (cyclic) {
            EXPECT_EQ(hareWalk(head).cyclic, 1);
        }
    }
}

} // namespace
