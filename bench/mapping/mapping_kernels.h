// The ways of finding a mapping's cycles that the mapping rows compare, each
// one small function in a table of named kernels: the floor, what users reach
// for, and the library's three functions.
#ifndef CYCLE_BENCH_MAPPING_KERNELS_H
#define CYCLE_BENCH_MAPPING_KERNELS_H

#include <cstddef>
#include <cstdint>

// What a kernel found: the number of cycles and of elements on them (the
// floor gives a checksum and 0).
struct MapFound {
    uint64_t cycles;
    uint64_t on_cycles;
};

// A kernel over the table next of m elements (entries outside [0, m) end a
// path), on threads threads where it takes them. build_ns receives the time
// spent building a structure of its own before the search, 0 for most.
struct MapKernel {
    const char* name;
    MapFound (*run)(const uint32_t* next, uint64_t m, unsigned threads, double* build_ns);
    bool takes_threads;
};

// gather, the floor: every element's successor's entry read once, in order,
// with the successor's line asked for ahead. colour: the textbook colouring
// walk, one start at a time. peel: in-degree peeling (Kahn's) with
// prefetching. stackwalk: the textbook full answer, every element's end and
// distance, one start at a time through a stack. findcycles, traceall,
// findcyclesof: the library's, the last reading the table through a lambda. bgl, where Boost was
// found: the Boost Graph Library's strong_components on an adjacency_list built from the table.
extern const MapKernel MAP_KERNELS[];
extern const size_t MAP_KERNEL_COUNT;

// The textbook full answer behind the stackwalk kernel: end[i] and
// distance[i] for every i < m, as cycle::traceAll gives them, and the
// mapping's cycles and elements on them.
MapFound traceByStack(const uint32_t* next, uint64_t m, uint32_t* end, uint32_t* distance);

// The floor and the textbook walk, which gives each mapping's truth.
const MapKernel& mapFloor();
const MapKernel& mapTextbook();

// The Boost kernel, or nullptr where Boost was not found.
const MapKernel* mapBgl();

#endif
