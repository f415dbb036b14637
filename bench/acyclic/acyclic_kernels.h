// The acyclic family's kernels: each builds a graph of the trace's n
// vertices and adds the trace's edges one at a time, refusing each that
// would close a cycle, and returns how many it accepted (a repeat of an
// edge present counts as accepted). The floor stores the edges and checks
// nothing; recheck is the textbook, a search from to for from at every new
// edge; acyclicgraph the library's; graphcycles the base library's
// lock-order checker, where it was found.
#ifndef CYCLE_BENCH_ACYCLIC_KERNELS_H
#define CYCLE_BENCH_ACYCLIC_KERNELS_H

#include "acyclic/acyclic_sets.h"

#include <cstddef>
#include <cstdint>

struct AcyclicKernel {
    const char* name;
    uint64_t (*run)(const EdgeTrace& trace);
    // The largest n it is run at: a search per edge over up to n vertices
    // is quadratic, and past this a round would take minutes.
    uint32_t largest_n;
};

// The floor first, then recheck and acyclicgraph.
extern const AcyclicKernel ACYCLIC_KERNELS[];
extern const size_t ACYCLIC_KERNEL_COUNT;

// graphcycles, where the base library was found; none otherwise.
extern const AcyclicKernel* const ACYCLIC_PEERS[];
extern const size_t ACYCLIC_PEER_COUNT;

#endif
