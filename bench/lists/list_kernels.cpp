#include "lists/list_kernels.h"

#include "hare_walk.h"
#include "link_reversal.h"
#include "lists/list_walks.h"

#define INSTANTIATE_FOR_BOTH_COUNTS(detector)                                                      \
    template int detector(BenchList, NoCounts&);                                                   \
    template int detector(BenchList, StepCounts&);

INSTANTIATE_FOR_BOTH_COUNTS(traverse)
INSTANTIATE_FOR_BOTH_COUNTS(walk)
INSTANTIATE_FOR_BOTH_COUNTS(stream)
INSTANTIATE_FOR_BOTH_COUNTS(trail)
INSTANTIATE_FOR_BOTH_COUNTS(brent)
INSTANTIATE_FOR_BOTH_COUNTS(nivasch)
INSTANTIATE_FOR_BOTH_COUNTS(hascycle)
INSTANTIATE_FOR_BOTH_COUNTS(findcycle)
INSTANTIATE_FOR_BOTH_COUNTS(hascycleFnptr)
INSTANTIATE_FOR_BOTH_COUNTS(hashset)

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

// hascycle_fnptr shows what a pointer to a function costs at one size;
// hashset would only time the flush's refill of its table when cold.
constexpr int64_t FNPTR_SIZE = 1000000;

const Kernel KERNELS[] = {
    {"traverse", traverse, traverse, false, false, 0},
    {"stream", stream, stream, true, false, 0},
    {"trail", trail, trail, true, false, 0},
    {"hare", hare, hare, false, false, 0},
    {"reverse", reverse, reverse, false, false, 0},
    {"brent", brent, brent, false, false, 0},
    {"nivasch", nivasch, nivasch, false, false, 0},
    {"hascycle", hascycle, hascycle, false, false, 0},
    {"findcycle", findcycle, findcycle, false, false, 0},
    {"hascycle_fnptr", hascycleFnptr, hascycleFnptr, false, false, FNPTR_SIZE},
    {"hashset", hashset, hashset, false, true, 0},
};
const size_t KERNEL_COUNT = sizeof(KERNELS) / sizeof(KERNELS[0]);
