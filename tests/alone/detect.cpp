// detect.h, the umbrella: one function of each family through it.
#include <cycle/detect.h>

#include <cstdint>

bool detectAlone(const int32_t* next, size_t m) {
    auto f = [](const int& x) { return (x * 3 + 1) % 7; };
    const int32_t* head = next;
    return cycle::hasCycle(head, [next](const int32_t* at) { return next + *at; }) &&
           cycle::findPeriod(0, f).lambda > 0 && !cycle::findCycles(next, m).empty();
}
