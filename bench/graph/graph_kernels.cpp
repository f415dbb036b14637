// The floor, the textbook searches and the library's functions, as the
// graph rows run them.
#include "graph/graph_kernels.h"

#include <cycle/graph.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

bool textbookHasCycle(const Graph& g) {
    const uint32_t* offsets = g.offsets.data();
    const uint32_t* targets = g.targets.data();
    enum : uint8_t { WHITE, GREY, BLACK };
    std::vector<uint8_t> colour(g.n, WHITE);
    std::vector<std::pair<uint32_t, uint32_t>> stack;
    for (uint32_t s = 0; s < g.n; s++) {
        if (colour[s] != WHITE) {
            continue;
        }
        colour[s] = GREY;
        stack.push_back({s, offsets[s]});
        while (!stack.empty()) {
            auto& top = stack.back();
            if (top.second == offsets[top.first + 1]) {
                colour[top.first] = BLACK;
                stack.pop_back();
                continue;
            }
            const uint32_t w = targets[top.second++];
            if (colour[w] == GREY) {
                return true;
            }
            if (colour[w] == WHITE) {
                colour[w] = GREY;
                stack.push_back({w, offsets[w]});
            }
        }
    }
    return false;
}

size_t textbookOrderSize(const Graph& g) {
    std::vector<uint32_t> indegree(g.n, 0);
    for (uint32_t w : g.targets) {
        indegree[w]++;
    }
    std::vector<uint32_t> order;
    order.reserve(g.n);
    for (uint32_t v = 0; v < g.n; v++) {
        if (indegree[v] == 0) {
            order.push_back(v);
        }
    }
    for (size_t head = 0; head < order.size(); head++) {
        const uint32_t v = order[head];
        for (uint32_t e = g.offsets[v]; e < g.offsets[v + 1]; e++) {
            if (--indegree[g.targets[e]] == 0) {
                order.push_back(g.targets[e]);
            }
        }
    }
    return order.size() == g.n ? order.size() : 0;
}

uint64_t textbookComponents(const Graph& g) {
    const uint32_t UNSEEN = UINT32_MAX;
    std::vector<uint32_t> index(g.n, UNSEEN);
    std::vector<uint32_t> low(g.n, 0);
    std::vector<bool> on_stack(g.n, false);
    std::vector<uint32_t> stack;
    std::vector<std::pair<uint32_t, uint32_t>> calls;
    uint32_t next_index = 0;
    uint64_t components = 0;
    for (uint32_t s = 0; s < g.n; s++) {
        if (index[s] != UNSEEN) {
            continue;
        }
        index[s] = low[s] = next_index++;
        stack.push_back(s);
        on_stack[s] = true;
        calls.push_back({s, g.offsets[s]});
        while (!calls.empty()) {
            auto& top = calls.back();
            const uint32_t v = top.first;
            if (top.second < g.offsets[v + 1]) {
                const uint32_t w = g.targets[top.second++];
                if (index[w] == UNSEEN) {
                    index[w] = low[w] = next_index++;
                    stack.push_back(w);
                    on_stack[w] = true;
                    calls.push_back({w, g.offsets[w]});
                } else if (on_stack[w]) {
                    low[v] = std::min(low[v], index[w]);
                }
                continue;
            }
            calls.pop_back();
            if (!calls.empty()) {
                low[calls.back().first] = std::min(low[calls.back().first], low[v]);
            }
            if (low[v] == index[v]) {
                uint32_t w;
                do {
                    w = stack.back();
                    stack.pop_back();
                    on_stack[w] = false;
                } while (w != v);
                components++;
            }
        }
    }
    return components;
}

namespace {

GraphFound edgegather(const Graph& g, const void*) {
    const uint32_t* targets = g.targets.data();
    const uint8_t* state = g.state.data();
    const uint64_t edges = g.edges();
    const uint64_t AHEAD = 32;
    uint64_t sum = 0;
    for (uint64_t e = 0; e < edges; e++) {
        if (e + AHEAD < edges) {
            __builtin_prefetch(state + targets[e + AHEAD]);
        }
        sum += state[targets[e]];
    }
    return {sum == edges, 0};
}

// The check every library function makes before it answers: one in-order
// pass over the targets, each tested against n, 16 bytes compared at a time
// as the library's check does (a scalar loop, which -O2 leaves unwidened,
// would be a floor slower than the check it stands for).
GraphFound check(const Graph& g, const void*) {
    typedef uint32_t Lanes __attribute__((vector_size(16)));
    constexpr uint64_t LANES = sizeof(Lanes) / sizeof(uint32_t);
    const uint32_t* targets = g.targets.data();
    const uint64_t edges = g.edges();
    const Lanes largest = Lanes{} + static_cast<uint32_t>(g.n - 1);
    Lanes over = {};
    uint64_t e = 0;
    for (; edges - e >= 4 * LANES; e += 4 * LANES) {
        Lanes chunk[4];
        std::memcpy(&chunk, targets + e, sizeof chunk);
        for (int i = 0; i < 4; i++) {
            over |= chunk[i] > largest;
        }
    }
    bool bad = false;
    for (uint64_t lane = 0; lane < LANES; lane++) {
        bad |= over[lane] != 0;
    }
    for (; e < edges; e++) {
        bad |= targets[e] >= g.n;
    }
    return {!bad, 0};
}

GraphFound dfs(const Graph& g, const void*) {
    return {!textbookHasCycle(g), 0};
}

GraphFound kahn(const Graph& g, const void*) {
    return {textbookOrderSize(g) == g.n, 0};
}

GraphFound tarjan(const Graph& g, const void*) {
    return {false, textbookComponents(g)};
}

GraphFound findgraphcycle(const Graph& g, const void*) {
    return {cycle::findGraphCycle(g.offsets.data(), g.targets.data(), g.n).empty(), 0};
}

GraphFound toporder(const Graph& g, const void*) {
    const cycle::Order<uint32_t> order =
        cycle::topologicalOrder(g.offsets.data(), g.targets.data(), g.n);
    return {order.cycle.empty() && order.order.size() == g.n, 0};
}

GraphFound scc(const Graph& g, const void*) {
    std::vector<uint32_t> component(g.n);
    return {false,
            cycle::stronglyConnected(g.offsets.data(), g.targets.data(), g.n, component.data())};
}

// The adjacency lists a user's own graph would be held in.
void* adjacencyLists(const Graph& g) {
    auto* lists = new std::vector<std::vector<uint32_t>>(g.n);
    for (uint64_t v = 0; v < g.n; v++) {
        (*lists)[v].assign(g.targets.begin() + g.offsets[v], g.targets.begin() + g.offsets[v + 1]);
    }
    return lists;
}

void freeAdjacencyLists(void* lists) {
    delete static_cast<std::vector<std::vector<uint32_t>>*>(lists);
}

GraphFound sccof(const Graph& g, const void* prepared) {
    const auto& lists = *static_cast<const std::vector<std::vector<uint32_t>>*>(prepared);
    std::vector<uint32_t> component(g.n);
    auto successors = [&lists](uint32_t v) -> const std::vector<uint32_t>& { return lists[v]; };
    return {false,
            cycle::stronglyConnectedOf(static_cast<uint32_t>(g.n), successors, component.data())};
}

} // namespace

const GraphKernel GRAPH_KERNELS[] = {
    {"edgegather", ASKS_NOTHING, edgegather, nullptr, nullptr},
    {"check", ASKS_NOTHING, check, nullptr, nullptr},
    {"dfs", ASKS_CYCLE, dfs, nullptr, nullptr},
    {"kahn", ASKS_ORDER, kahn, nullptr, nullptr},
    {"tarjan", ASKS_COMPONENTS, tarjan, nullptr, nullptr},
    {"findgraphcycle", ASKS_CYCLE, findgraphcycle, nullptr, nullptr},
    {"toporder", ASKS_ORDER, toporder, nullptr, nullptr},
    {"scc", ASKS_COMPONENTS, scc, nullptr, nullptr},
    {"sccof", ASKS_COMPONENTS, sccof, adjacencyLists, freeAdjacencyLists},
};
const size_t GRAPH_KERNEL_COUNT = sizeof(GRAPH_KERNELS) / sizeof(GRAPH_KERNELS[0]);

const GraphKernel& graphFloor() {
    return GRAPH_KERNELS[0];
}
