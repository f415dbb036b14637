#include "kernels.h"

#include "bench_detectors.h"
#include "hare_walk.h"
#include "link_reversal.h"

// The programs' two detectors, as they ship.
static int hare(BenchList list, NoCounts&) {
    return hareWalk(list.head).cyclic;
}
static int hare(BenchList list, StepCounts& counts) {
    return hareWalkCounted(list.head, counts).cyclic;
}

static int reverse(BenchList list, NoCounts&) {
    return reverseLinks(list.head).ending != REVERSAL_LINEAR;
}
static int reverse(BenchList list, StepCounts& counts) {
    return reverseLinksCounted(list.head, counts).ending != REVERSAL_LINEAR;
}

const Kernel KERNELS[] = {
    {"traverse", traverse, traverse, false},
    {"stream", stream, stream, true},
    {"trail", trail, trail, true},
    {"hare", hare, hare, false},
    {"reverse", reverse, reverse, false},
    {"brent", brent, brent, false},
    {"nivasch", nivasch, nivasch, false},
    {"hascycle", hascycle, hascycle, false},
    {"findcycle", findcycle, findcycle, false},
    {"hascycle_fnptr", hascycleFnptr, hascycleFnptr, false},
    {"hashset", hashset, hashset, false},
};
const size_t KERNEL_COUNT = sizeof(KERNELS) / sizeof(KERNELS[0]);

const ShortKernel SHORT_KERNELS[] = {
    {"traverse", shortTraverse, shortTraverse, false},
    {"walk", shortWalk, shortWalk, true},
    {"hascycle", shortHascycle, shortHascycle, false},
    {"hascycle_fnptr", shortHascycleFnptr, shortHascycleFnptr, false},
    {"findcycle", shortFindcycle, shortFindcycle, false},
    {"brent", shortBrent, shortBrent, false},
    {"hare", shortHare, shortHare, false},
    {"nivasch", shortNivasch, shortNivasch, false},
    {"each", shortEach, shortEach, false},
};
const size_t SHORT_KERNEL_COUNT = sizeof(SHORT_KERNELS) / sizeof(SHORT_KERNELS[0]);
