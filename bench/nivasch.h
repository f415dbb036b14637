// The shape of Nivasch's partitioned stacks, chosen by measurement: with 32
// stacks the walk stops about lambda / 33 moves after a full lap of the cycle
// (16 stacks: lambda / 17), and on allocation-order lists the stack work costs
// as little as with 16, where 8 or 64 stacks cost more (see the README).
#ifndef CYCLE_BENCH_NIVASCH_H
#define CYCLE_BENCH_NIVASCH_H

#include "ex3.h"

#include <cstdint>

// A build may set another count to compare (bench/stacks does, with
// -DNIVASCH_STACK_BITS=3 to 6); the benchmark and the tests use the default.
#ifndef NIVASCH_STACK_BITS
#define NIVASCH_STACK_BITS 5
#endif
static_assert(NIVASCH_STACK_BITS >= 1 && NIVASCH_STACK_BITS <= 10, "1 to 10 bits pick a stack");
constexpr int NIVASCH_STACKS = 1 << NIVASCH_STACK_BITS;
constexpr int NIVASCH_STACK_CAPACITY = 64;

// A node's value: its offset from the head, times an odd constant, plus a
// constant. Each step is a bijection of the address, so equal values mean the
// same node. The product scatters the increasing addresses of nodes allocated
// in list order (a stack of raw addresses would grow to n entries on them);
// the offset makes the values, and so the walk, the same wherever the
// allocator placed the list; the added constant keeps the head from always
// holding the smallest value, which would favour a cycle through the head.
inline uint64_t nivaschValue(const Node* node, const Node* head) {
    uint64_t offset = reinterpret_cast<uintptr_t>(node) - reinterpret_cast<uintptr_t>(head);
    return offset * 0x9E3779B97F4A7C15u + 0x5851F42D4C957F2Du;
}

#endif
