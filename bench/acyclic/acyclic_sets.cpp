#include "acyclic/acyclic_sets.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <random>

namespace {

// A random order of [0, n): rank[v] is v's place in it.
std::vector<uint32_t> hiddenRanks(uint32_t n, std::mt19937_64& random) {
    std::vector<uint32_t> rank(n);
    std::iota(rank.begin(), rank.end(), 0u);
    std::shuffle(rank.begin(), rank.end(), random);
    return rank;
}

EdgeTrace makeTrace(AcyclicWorkload workload, uint32_t n) {
    std::mt19937_64 random(0xAC1C + n * 8 + static_cast<uint32_t>(workload));
    auto any = [&]() { return static_cast<uint32_t>(random() % n); };
    EdgeTrace trace{n, {}};
    switch (workload) {
    case RANDOM_DAG: {
        const std::vector<uint32_t> rank = hiddenRanks(n, random);
        while (trace.edges.size() < uint64_t{4} * n) {
            uint32_t u = any();
            uint32_t w = any();
            if (u == w) {
                continue;
            }
            if (rank[u] > rank[w]) {
                std::swap(u, w);
            }
            trace.edges.emplace_back(u, w);
        }
        break;
    }
    case MIXED: {
        // Each pair's edge and, later, the edge back: the second of the two
        // is refused wherever the first was taken.
        std::vector<std::pair<uint32_t, uint32_t>> pairs;
        for (uint64_t i = 0; i < uint64_t{2} * n; i++) {
            pairs.emplace_back(any(), any());
        }
        std::vector<uint64_t> slots(2 * pairs.size());
        std::iota(slots.begin(), slots.end(), uint64_t{0});
        std::shuffle(slots.begin(), slots.end(), random);
        trace.edges.resize(slots.size());
        for (size_t i = 0; i < pairs.size(); i++) {
            const uint64_t first = std::min(slots[2 * i], slots[2 * i + 1]);
            const uint64_t second = std::max(slots[2 * i], slots[2 * i + 1]);
            trace.edges[first] = pairs[i];
            trace.edges[second] = {pairs[i].second, pairs[i].first};
        }
        break;
    }
    case REVERSE_CHAIN:
        for (uint32_t k = 1; k < n; k++) {
            trace.edges.emplace_back(k, k - 1);
        }
        break;
    case LOCK_ORDER: {
        const std::vector<uint32_t> rank = hiddenRanks(n, random);
        std::vector<std::vector<uint32_t>> paths(n);
        for (std::vector<uint32_t>& path : paths) {
            const size_t length = 2 + random() % 3;
            while (path.size() < length) {
                path.push_back(any());
            }
            std::sort(path.begin(), path.end(),
                      [&rank](uint32_t a, uint32_t b) { return rank[a] < rank[b]; });
            path.erase(std::unique(path.begin(), path.end()), path.end());
            if (random() % 1024 == 0 && path.size() >= 2) {
                std::swap(path[0], path[1]);
            }
        }
        for (uint64_t run = 0; run < uint64_t{8} * n; run++) {
            // The busiest paths most often: a path's chance falls with its index.
            const std::vector<uint32_t>& path = paths[random() % (1 + random() % n)];
            for (size_t taken = 1; taken < path.size(); taken++) {
                for (size_t held = 0; held < taken; held++) {
                    trace.edges.emplace_back(path[held], path[taken]);
                }
            }
        }
        break;
    }
    }
    return trace;
}

} // namespace

const EdgeTrace& edgeTrace(AcyclicWorkload workload, uint32_t n) {
    static std::map<std::pair<int, uint32_t>, EdgeTrace> traces;
    const auto key = std::make_pair(static_cast<int>(workload), n);
    auto known = traces.find(key);
    if (known == traces.end()) {
        known = traces.emplace(key, makeTrace(workload, n)).first;
    }
    return known->second;
}

const char* acyclicWorkloadName(AcyclicWorkload workload) {
    switch (workload) {
    case RANDOM_DAG:
        return "random_dag";
    case MIXED:
        return "mixed";
    case REVERSE_CHAIN:
        return "reverse_chain";
    case LOCK_ORDER:
        return "lock_order";
    }
    return "?";
}
