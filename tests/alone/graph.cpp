// graph.h alone: every function instantiated.
#include <cycle/graph.h>

#include <cstdint>
#include <vector>

uint64_t graphAlone(const int64_t* offsets, const int32_t* targets, size_t n, int32_t* component) {
    std::vector<std::vector<int32_t>> rows(n);
    auto successors = [&rows](int32_t v) -> const std::vector<int32_t>& { return rows[v]; };
    const int32_t count = static_cast<int32_t>(n);
    return cycle::findGraphCycle(offsets, targets, n).size() +
           cycle::topologicalOrder(offsets, targets, n).order.size() +
           cycle::stronglyConnected(offsets, targets, n, component) +
           cycle::findGraphCycleOf(count, successors).size() +
           cycle::topologicalOrderOf(count, successors).cycle.size() +
           cycle::stronglyConnectedOf(count, successors, component);
}
