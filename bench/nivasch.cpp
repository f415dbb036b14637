// Nivasch's stack algorithm (Information Processing Letters, 2004), in its
// partitioned form: each node's value picks one of NIVASCH_STACKS stacks by its
// top bits, and the walk stops at the second visit of the smallest value of
// any stack's class on the cycle.
#include "nivasch.h"
#include "bench_detectors.h"

#include <cstdint>

// For each node: pop every entry greater than its value; if the top then holds
// the value, the node is seen again and the list is cyclic; otherwise push it.
// Only values are kept, since the detector needs no cycle length. The next
// link is loaded first, so that a miss on it overlaps the stack work. A stack
// deeper than NIVASCH_STACK_CAPACITY (about ln(n / stacks) entries are
// expected) hands the walk over to Brent's method, which still decides.
template <typename Counts> int nivasch(BenchList list, Counts& counts) {
    uint64_t stacks[NIVASCH_STACKS][NIVASCH_STACK_CAPACITY];
    int heights[NIVASCH_STACKS] = {};
    int64_t entries = 0;
    const Node* node = list.head;
    while (node != nullptr) {
        const Node* next = node->next;
        uint64_t value = nivaschValue(node, list.head);
        int which = static_cast<int>(value >> (64 - NIVASCH_STACK_BITS));
        uint64_t* stack = stacks[which];
        int height = heights[which];
        while (height > 0 && stack[height - 1] > value) {
            height--;
        }
        if (height > 0 && stack[height - 1] == value) {
            return 1;
        }
        if (height == NIVASCH_STACK_CAPACITY) {
            return brentFrom(node, counts);
        }
        stack[height] = value;
        entries += height + 1 - heights[which];
        heights[which] = height + 1;
        countEntries(counts, entries);
        node = next;
        countMoves(counts, 1, 1);
    }
    return 0;
}

template int nivasch(BenchList, NoCounts&);
template int nivasch(BenchList, StepCounts&);
