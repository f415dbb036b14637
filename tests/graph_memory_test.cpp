// The extra memory the graph functions hold at their peak, against their
// contracts, on a ring 0 -> 1 -> ... -> n - 1 -> 0, whose search path takes
// every vertex, at a size where the path's vector has just grown and one
// past it.
#include "cycle/graph.h"
#include "heap_count.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(GraphMemory, APathOfEveryVertexStaysWithinTheStatedBytes) {
    if (!heapCounted()) {
        GTEST_SKIP() << "the sanitizer's allocator is not counted";
    }
    for (const uint32_t n : {uint32_t{1} << 18, (uint32_t{1} << 18) + 1}) {
        std::vector<uint32_t> offsets(n + 1);
        std::vector<uint32_t> targets(n);
        for (uint32_t v = 0; v < n; v++) {
            offsets[v] = v;
            targets[v] = v + 1 < n ? v + 1 : 0;
        }
        offsets[n] = n;
        std::vector<uint32_t> component(n);
        const double vertices = n;
        resetHeapPeak();
        int64_t before = heapHeld();
        std::vector<uint32_t> cycle = cycle::findGraphCycle(offsets.data(), targets.data(), n);
        ASSERT_EQ(cycle.size(), n);
        // The counts and the queue (4 + 4), the path at its peak (48), the
        // cycle returned (4).
        EXPECT_LE(static_cast<double>(heapPeak() - before) / vertices, 4 + 4 + 48 + 4 + 0.01) << n;
        cycle = std::vector<uint32_t>();
        resetHeapPeak();
        before = heapHeld();
        cycle::Order<uint32_t> order = cycle::topologicalOrder(offsets.data(), targets.data(), n);
        ASSERT_EQ(order.cycle.size(), n);
        EXPECT_LE(static_cast<double>(heapPeak() - before) / vertices, 4 + 48 + 4 + 0.01) << n;
        order = cycle::Order<uint32_t>();
        resetHeapPeak();
        before = heapHeld();
        ASSERT_EQ(cycle::stronglyConnected(offsets.data(), targets.data(), n, component.data()),
                  1u);
        // The counts and the queue (4 + 4), Tarjan's path and stack at
        // their peak (60).
        EXPECT_LE(static_cast<double>(heapPeak() - before) / vertices, 4 + 4 + 60 + 0.01) << n;
    }
}

} // namespace
