// The tortoise-and-hare decision on lists of known shape.
#include "hare_walk.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

struct HareCase {
    Shape shape;
    const char* line;
    int cyclic;
};

void PrintTo(const HareCase& c, std::ostream* os) {
    *os << shapeName(c.shape);
}

class HareWalkTest : public testing::TestWithParam<HareCase> {};

TEST_P(HareWalkTest, DecidesByIdentityAndLeavesTheLinksAlone) {
    const HareCase& c = GetParam();
    std::vector<Node> nodes = buildNodes(c.shape.n, c.shape.k);
    for (Node& node : nodes) {
        node.val = 7; // equal values must not be mistaken for the same node
    }
    std::vector<int> before = successorIndices(nodes);
    HareVerdict verdict = hareWalk(listOf(nodes).head);
    EXPECT_STREQ(verdict.line, c.line);
    EXPECT_EQ(verdict.cyclic, c.cyclic);
    EXPECT_EQ(successorIndices(nodes), before);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, HareWalkTest,
    testing::Values(HareCase{{0, -1}, "Empty List Passed", 0},
                    HareCase{{1, -1}, "Single Node,no self loop", 0},
                    HareCase{{1, 0}, "Circular, single node with self loop", 1},
                    HareCase{{2, -1}, "Linear", 0}, HareCase{{2, 0}, "Cyclic", 1},
                    HareCase{{2, 1}, "Cyclic", 1}, HareCase{{3, -1}, "Linear", 0},
                    HareCase{{3, 0}, "Cyclic", 1}, HareCase{{3, 2}, "Cyclic", 1},
                    HareCase{{4, -1}, "Linear", 0}, HareCase{{5, -1}, "Linear", 0},
                    HareCase{{5, 1}, "Cyclic", 1}, HareCase{{1001, -1}, "Linear", 0},
                    HareCase{{1001, 0}, "Cyclic", 1}, HareCase{{1001, 500}, "Cyclic", 1},
                    HareCase{{1001, 1000}, "Cyclic", 1}, HareCase{{1000, 999}, "Cyclic", 1}),
    [](const testing::TestParamInfo<HareCase>& info) { return shapeName(info.param.shape); });

} // namespace
