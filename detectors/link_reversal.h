// The reverse-link decision, apart from any timing or reporting.
#ifndef CYCLE_DETECTORS_LINK_REVERSAL_H
#define CYCLE_DETECTORS_LINK_REVERSAL_H

#include "ex3.h"
#include "step_counts.h"

// How a reversal run ended. An early cyclic ending is decided by a look at
// the first nodes alone and is reported differently from the other two.
enum ReversalEnding { REVERSAL_LINEAR, REVERSAL_CYCLIC, REVERSAL_EARLY_CYCLIC };

// The ending, and the line of the quick test on the first nodes that decided
// it; test_line is null when the full reversal decided.
struct ReversalVerdict {
    ReversalEnding ending;
    const char* test_line;
};

// Decides whether the list from head is cyclic by reversing its links in
// place: the reversal returns to the head only around a cycle. Afterwards a
// linear list is fully reversed; a list whose tail links to index k keeps the
// nodes before k and has its cycle reversed (node k points to the tail).
// Lists decided by the quick tests are left untouched. Never fails.
ReversalVerdict reverseLinks(Node* head);

// The same reversal, adding what it did to counts: one move and one link
// written per pass, n passes on a linear list of n >= 3 nodes and n + k + 1
// around a cycle to index k.
ReversalVerdict reverseLinksCounted(Node* head, StepCounts& counts);

#endif
