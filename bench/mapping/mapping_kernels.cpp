#include "mapping/mapping_kernels.h"

#include "cycle/detect.h"

#include <vector>

// The textbook full answer, one start at a time: the path from a start is
// pushed onto a stack until it reaches a root, an element whose answer is
// known, or an element on the stack, which closes a cycle; then every
// element on the stack takes its end and distance on the way back.
MapFound traceByStack(const uint32_t* next, uint64_t m, uint32_t* end, uint32_t* distance) {
    enum : uint8_t { NEW, ON_STACK, KNOWN };
    std::vector<uint8_t> state(m, NEW);
    std::vector<uint32_t> stack;
    MapFound found{0, 0};
    for (uint64_t start = 0; start < m; start++) {
        if (state[start] != NEW) {
            continue;
        }
        uint64_t x = start;
        while (x < m && state[x] == NEW) {
            state[x] = ON_STACK;
            stack.push_back(static_cast<uint32_t>(x));
            x = next[x];
        }
        if (x < m && state[x] == ON_STACK) {
            size_t first = stack.size() - 1;
            uint32_t leader = stack[first];
            while (stack[first] != x) {
                first--;
                leader = stack[first] < leader ? stack[first] : leader;
            }
            for (size_t i = first; i < stack.size(); i++) {
                end[stack[i]] = leader;
                distance[stack[i]] = 0;
                state[stack[i]] = KNOWN;
            }
            found.cycles++;
            found.on_cycles += stack.size() - first;
            stack.resize(first);
        }
        while (!stack.empty()) {
            const uint32_t y = stack.back();
            stack.pop_back();
            const uint64_t after = next[y];
            if (after >= m) {
                end[y] = y;
                distance[y] = 0;
            } else {
                end[y] = end[after];
                distance[y] = distance[after] + 1;
            }
            state[y] = KNOWN;
        }
    }
    return found;
}

namespace {

constexpr uint64_t AHEAD = 16;

MapFound gather(const uint32_t* next, uint64_t m, unsigned, double*) {
    uint64_t sum = 0;
    for (uint64_t i = 0; i < m; i++) {
        if (i + AHEAD < m && next[i + AHEAD] < m) {
            __builtin_prefetch(next + next[i + AHEAD]);
        }
        const uint32_t y = next[i];
        if (y < m) {
            sum += next[y];
        }
    }
    return {sum, 0};
}

// White, grey while on the current path, black once its fate is known; the
// path kept to count a cycle's elements when the walk meets grey.
MapFound colour(const uint32_t* next, uint64_t m, unsigned, double*) {
    enum : uint8_t { WHITE, GREY, BLACK };
    std::vector<uint8_t> colours(m, WHITE);
    std::vector<uint32_t> path;
    MapFound found{0, 0};
    for (uint64_t start = 0; start < m; start++) {
        if (colours[start] != WHITE) {
            continue;
        }
        path.clear();
        uint64_t x = start;
        while (x < m && colours[x] == WHITE) {
            colours[x] = GREY;
            path.push_back(static_cast<uint32_t>(x));
            x = next[x];
        }
        if (x < m && colours[x] == GREY) {
            found.cycles++;
            for (size_t i = path.size(); i-- > 0;) {
                found.on_cycles++;
                if (path[i] == x) {
                    break;
                }
            }
        }
        for (uint32_t element : path) {
            colours[element] = BLACK;
        }
    }
    return found;
}

// In-degrees, then a queue of elements nobody points to, each taken off
// lowering its successor's count; the lines of later queue entries asked for
// ahead. What is never queued is on a cycle; its cycles are counted by one
// walk each.
MapFound peel(const uint32_t* next, uint64_t m, unsigned, double*) {
    std::vector<uint32_t> count(m, 0);
    for (uint64_t i = 0; i < m; i++) {
        if (i + AHEAD < m && next[i + AHEAD] < m) {
            __builtin_prefetch(&count[next[i + AHEAD]]);
        }
        if (next[i] < m) {
            count[next[i]]++;
        }
    }
    std::vector<uint32_t> queue;
    queue.reserve(m);
    for (uint64_t i = 0; i < m; i++) {
        if (count[i] == 0) {
            queue.push_back(static_cast<uint32_t>(i));
        }
    }
    for (size_t j = 0; j < queue.size(); j++) {
        if (j + 2 * AHEAD < queue.size()) {
            __builtin_prefetch(next + queue[j + 2 * AHEAD]);
        }
        if (j + AHEAD < queue.size() && next[queue[j + AHEAD]] < m) {
            __builtin_prefetch(&count[next[queue[j + AHEAD]]]);
        }
        const uint32_t y = next[queue[j]];
        if (y < m && --count[y] == 0) {
            queue.push_back(y);
        }
    }
    MapFound found{0, m - queue.size()};
    for (uint64_t i = 0; i < m; i++) {
        if (count[i] == 0) {
            continue;
        }
        found.cycles++;
        for (uint64_t x = i; count[x] != 0; x = next[x]) {
            count[x] = 0;
        }
    }
    return found;
}

// stackwalk into outputs kept from call to call, as a caller's would be.
MapFound stackwalk(const uint32_t* next, uint64_t m, unsigned, double*) {
    static std::vector<uint32_t> end;
    static std::vector<uint32_t> distance;
    if (end.size() != m) {
        end.assign(m, 0);
        distance.assign(m, 0);
    }
    return traceByStack(next, m, end.data(), distance.data());
}

MapFound findCycles(const uint32_t* next, uint64_t m, unsigned threads, double*) {
    std::vector<cycle::Loop<uint32_t>> loops = cycle::findCycles(next, m, threads);
    MapFound found{loops.size(), 0};
    for (const cycle::Loop<uint32_t>& loop : loops) {
        found.on_cycles += loop.length;
    }
    return found;
}

MapFound findCyclesOf(const uint32_t* next, uint64_t m, unsigned threads, double*) {
    std::vector<cycle::Loop<uint64_t>> loops = cycle::findCyclesOf(
        m, [next](uint64_t i) { return uint64_t{next[i]}; }, threads);
    MapFound found{loops.size(), 0};
    for (const cycle::Loop<uint64_t>& loop : loops) {
        found.on_cycles += loop.length;
    }
    return found;
}

// traceAll into outputs kept from call to call, as a caller's would be.
MapFound traceAll(const uint32_t* next, uint64_t m, unsigned threads, double*) {
    static std::vector<uint32_t> end;
    static std::vector<uint32_t> distance;
    if (end.size() != m) {
        end.assign(m, 0);
        distance.assign(m, 0);
    }
    cycle::MapSummary summary = cycle::traceAll(next, m, end.data(), distance.data(), threads);
    return {summary.cycles, summary.on_cycles};
}

} // namespace

const MapKernel MAP_KERNELS[] = {
    {"gather", gather, false},
    {"colour", colour, false},
    {"peel", peel, false},
    {"stackwalk", stackwalk, false},
    {"findcycles", findCycles, true},
    {"traceall", traceAll, true},
    {"findcyclesof", findCyclesOf, true},
};
const size_t MAP_KERNEL_COUNT = sizeof(MAP_KERNELS) / sizeof(MAP_KERNELS[0]);

const MapKernel& mapFloor() {
    return MAP_KERNELS[0];
}

const MapKernel& mapTextbook() {
    return MAP_KERNELS[1];
}
