// The graph rows' shapes are what their names say, and every kernel that
// answers a question answers it as the textbook search does on them.
#include "graph/graph_kernels.h"
#include "graph/graph_sets.h"

#include <cycle/graph.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const GraphShape SHAPES[] = {GRAPH_DAG,   GRAPH_DAG_BACK, GRAPH_RANDOM, GRAPH_RMAT,
                             GRAPH_CHAIN, GRAPH_GRID,     GRAPH_WIDE,   GRAPH_CHAIN_DAG};

TEST(BenchGraphTest, ShapesAreWhatTheirNamesSay) {
    const uint64_t n = 1 << 14;
    const uint64_t dag_edges = graph(GRAPH_DAG, n).edges();
    for (GraphShape shape : SHAPES) {
        SCOPED_TRACE(graphShapeName(shape));
        const Graph& g = graph(shape, n);
        ASSERT_EQ(g.offsets.size(), n + 1);
        ASSERT_EQ(g.offsets.back(), g.edges());
        for (uint32_t w : g.targets) {
            ASSERT_LT(w, n);
        }
        const uint64_t components = textbookComponents(g);
        switch (shape) {
        case GRAPH_DAG:
            EXPECT_FALSE(textbookHasCycle(g));
            EXPECT_GT(g.edges(), 7 * n);
            break;
        case GRAPH_DAG_BACK:
            // Four paths of 8 edges, each closed by an edge back: at most
            // four components of 9 vertices or more, the rest alone.
            EXPECT_TRUE(textbookHasCycle(g));
            EXPECT_EQ(g.edges(), dag_edges + 4 * 9);
            EXPECT_LE(components, n - 8);
            EXPECT_GE(components, n - 4 * 8);
            break;
        case GRAPH_RANDOM:
            EXPECT_TRUE(textbookHasCycle(g));
            EXPECT_LT(components, n / 50); // one giant component
            break;
        case GRAPH_RMAT:
            EXPECT_EQ(g.edges(), 16 * n);
            EXPECT_TRUE(textbookHasCycle(g));
            break;
        case GRAPH_CHAIN:
            EXPECT_EQ(g.edges(), n - 1);
            EXPECT_EQ(textbookOrderSize(g), n);
            EXPECT_EQ(components, n);
            break;
        case GRAPH_GRID:
            EXPECT_EQ(g.edges(), 2 * (n - 128)); // 128 x 128
            EXPECT_FALSE(textbookHasCycle(g));
            break;
        case GRAPH_WIDE:
            EXPECT_EQ(g.edges(), 8 * (n - n / 64)); // none from the last layer
            EXPECT_FALSE(textbookHasCycle(g));
            break;
        case GRAPH_CHAIN_DAG:
            EXPECT_GT(g.edges(), 7 * n);
            EXPECT_EQ(textbookOrderSize(g), n);
            EXPECT_EQ(components, n);
            break;
        }
    }
}

TEST(BenchGraphTest, EveryKernelAgreesWithTheTextbook) {
    for (uint64_t n : {uint64_t{1} << 10, uint64_t{1} << 14}) {
        for (GraphShape shape : SHAPES) {
            const Graph& g = graph(shape, n);
            const bool acyclic = !textbookHasCycle(g);
            const uint64_t components = textbookComponents(g);
            EXPECT_EQ(textbookOrderSize(g) == n, acyclic);
            std::vector<const GraphKernel*> kernels;
            for (size_t i = 1; i < GRAPH_KERNEL_COUNT; i++) {
                kernels.push_back(&GRAPH_KERNELS[i]);
            }
            for (size_t i = 0; i < GRAPH_PEER_COUNT; i++) {
                kernels.push_back(GRAPH_PEERS[i]);
            }
            for (const GraphKernel* kernel : kernels) {
                SCOPED_TRACE(std::string(kernel->name) + " on " + graphShapeName(shape) + " " +
                             std::to_string(n));
                void* prepared = kernel->prepare != nullptr ? kernel->prepare(g) : nullptr;
                const GraphFound found = kernel->run(g, prepared);
                if (kernel->release != nullptr) {
                    kernel->release(prepared);
                }
                if (kernel->question == ASKS_COMPONENTS) {
                    EXPECT_EQ(found.components, components);
                } else if (kernel->question == ASKS_NOTHING) {
                    EXPECT_TRUE(found.acyclic); // the check found every target in range
                } else {
                    EXPECT_EQ(found.acyclic, acyclic);
                }
            }
        }
    }
}

} // namespace
