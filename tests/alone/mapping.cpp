// mapping.h alone: every function instantiated.
#include <cycle/mapping.h>

#include <cstdint>

uint64_t mappingAlone(const int32_t* next, size_t m) {
    auto f = [next](int32_t i) { return next[i]; };
    return cycle::findCycles(next, m).size() +
           cycle::findCyclesOf(static_cast<int32_t>(m), f).size() +
           cycle::traceAll(next, m, nullptr, nullptr).cycles;
}
