// The whole library, for callers who want every family at once: lists
// (lists.h), iterated functions (period.h), whole mappings (mapping.h),
// directed graphs (graph.h), graphs kept acyclic edge by edge
// (acyclic.h) and collisions of random-like functions (collision.h).
// Each of those headers can be included alone.
#ifndef CYCLE_DETECT_H
#define CYCLE_DETECT_H

#include "acyclic.h"
#include "collision.h"
#include "graph.h"
#include "lists.h"
#include "mapping.h"
#include "period.h"

#endif
