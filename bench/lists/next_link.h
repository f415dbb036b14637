// The benchmark lists' next, a node's own link: named by the kernels'
// declarations (list_kernels.h) and their bodies (list_walks.h) alike, so
// it lies below both.
#ifndef CYCLE_BENCH_NEXT_LINK_H
#define CYCLE_BENCH_NEXT_LINK_H

#include "common/node_sets.h"

constexpr auto nextLink = [](const Node* node) -> const Node* { return node->next; };

#endif
