// The three graph questions: for a cycle or an order, a depth-first search
// raced against the count pass and the peel; for the components, the count
// pass, which checks every target, the peel, and Tarjan's search of what
// the peel left, sharing one count a vertex.
#ifndef CYCLE_DETAIL_GRAPH_RUN_H
#define CYCLE_DETAIL_GRAPH_RUN_H

#include "graph_chains.h"
#include "graph_peel.h"
#include "graph_race.h"
#include "graph_reach.h"
#include "graph_rows.h"
#include "graph_search.h"

#include "../results.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <type_traits>
#include <vector>

namespace cycle {
namespace detail {

// Below this many vertices and edges a count, an entry index and a
// component's number all fit 32 bits with room for the searches' markers.
constexpr size_t NARROW_COUNTS = size_t{1} << 30;

// Checks the offsets and returns answer(rows, counts), with room in counts
// for a count a vertex, 32 bits wide where the graph allows and 64 otherwise.
template <typename Vertex, typename Offset, typename Answer>
auto withCounts(const char* who, const Offset* offsets, const Vertex* targets, size_t n,
                Answer answer) {
    checkOffsets<Vertex>(who, offsets, n);
    const Rows<Vertex, Offset> rows{offsets, targets, n};
    const size_t edges = rows.begin(n) - rows.begin(0);
    if (n < NARROW_COUNTS && edges < NARROW_COUNTS) {
        std::unique_ptr<uint32_t[]> counts(new uint32_t[n]);
        return answer(rows, counts.get());
    }
    std::unique_ptr<uint64_t[]> counts(new uint64_t[n]);
    return answer(rows, counts.get());
}

template <typename Vertex, typename Offset>
std::vector<Vertex> graphCycle(const char* who, const Offset* offsets, const Vertex* targets,
                               size_t n) {
    if (n == 0) {
        return {};
    }
    return withCounts(who, offsets, targets, n, [who](const auto& rows, auto* counts) {
        std::vector<Vertex> cycle;
        std::unique_ptr<Vertex[]> order(new Vertex[rows.n]);
        race(who, rows, counts, order.get(), cycle);
        return cycle;
    });
}

template <typename Vertex, typename Offset>
Order<Vertex> graphOrder(const char* who, const Offset* offsets, const Vertex* targets, size_t n) {
    if (n == 0) {
        return {};
    }
    return withCounts(who, offsets, targets, n, [who](const auto& rows, auto* counts) {
        Order<Vertex> result;
        result.order.resize(rows.n);
        if (race(who, rows, counts, result.order.data(), result.cycle) == RaceEnd::CYCLE) {
            result.order = std::vector<Vertex>();
        }
        return result;
    });
}

template <typename Vertex, typename Offset>
size_t graphComponents(const char* who, const Offset* offsets, const Vertex* targets, size_t n,
                       Vertex* component) {
    if (n == 0) {
        return 0;
    }
    return withCounts(who, offsets, targets, n, [who, component](const auto& rows, auto* counts) {
        countTargets(who, rows, counts);
        std::unique_ptr<Vertex[]> order(new Vertex[rows.n]);
        const size_t peeled = peel(rows, counts, order.get());
        // What is left comes first, numbered as its search completes; then
        // the peeled vertices, the last peeled lowest: every edge between
        // them runs forward in the peel's order, and none runs from a
        // vertex left to a peeled one.
        auto at = [&order](size_t i) {
            return static_cast<size_t>(static_cast<std::make_unsigned_t<Vertex>>(order[i]));
        };
        size_t left = 0;
        if (peeled < rows.n && liesFar(rows)) {
            // The order's room is the reachability search's queue: the
            // peeled vertices' numbers go first, raised by the count left
            // once it is known.
            for (size_t i = 0; i < peeled; i++) {
                component[at(i)] = static_cast<Vertex>(peeled - 1 - i);
            }
            left = componentsByReach<true>(rows, counts, order.get(), component);
            if (left == SIZE_MAX) {
                left = componentsOfLeft(rows, counts, component);
            }
            using Count = std::remove_reference_t<decltype(*counts)>;
            for (size_t v = 0; v < rows.n; v++) {
                if (counts[v] == std::numeric_limits<Count>::max()) {
                    component[v] = static_cast<Vertex>(static_cast<size_t>(component[v]) + left);
                }
            }
            return left + peeled;
        }
        left = peeled < rows.n ? componentsOfLeft(rows, counts, component) : 0;
        for (size_t i = 0; i < peeled; i++) {
            component[at(i)] = static_cast<Vertex>(left + (peeled - 1 - i));
        }
        return left + peeled;
    });
}

} // namespace detail
} // namespace cycle

#endif
