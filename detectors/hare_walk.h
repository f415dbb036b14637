// The tortoise-and-hare decision, apart from any timing or reporting.
#ifndef CYCLE_DETECTORS_HARE_WALK_H
#define CYCLE_DETECTORS_HARE_WALK_H

#include "ex3.h"
#include "step_counts.h"

// What the walk decided: the verdict line to print and 1 if cyclic, else 0.
struct HareVerdict {
    const char* line;
    int cyclic;
};

// Decides whether the list from head is cyclic with two pointers, one moving
// two links per step and one moving one. Reads links only; never fails.
HareVerdict hareWalk(const Node* head);

// The same walk, adding what it did to counts: on a linear list of n >= 3
// nodes 2 + 3 * ((n - 2) / 2) moves, 2 + 2 * ((n - 2) / 2) of them by the
// fast pointer, the longest chain. Writes nothing.
HareVerdict hareWalkCounted(const Node* head, StepCounts& counts);

#endif
