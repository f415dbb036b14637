// The lists the benchmark measures: one set of nodes per size, allocated once,
// which every layout and shape only relinks, so that every detector of a given
// layout, shape and size chases exactly the same addresses.
#ifndef CYCLE_BENCH_NODE_SETS_H
#define CYCLE_BENCH_NODE_SETS_H

#include "ex3.h"

#include <cstdint>
#include <string>
#include <vector>

// The order in which a layout links a node set: allocation order, or one
// fixed random permutation of it, so that every step is a cache miss once the
// list outgrows the caches. A cold layout flushes every node from the caches
// after each relinking, so that every call starts from memory.
struct Layout {
    const char* name;
    bool scattered;
    bool cold;
};

// The layouts every list family measures: in allocation order and
// scattered, warm (WARM) and flushed before every call (COLD).
extern const Layout WARM[2];
extern const Layout COLD[2];

// Where the tail links: nowhere, the head, the middle (n / 2), itself, or, for
// the sweep, node floor(percent * (n - 1) / 100).
enum ShapeKind { SHAPE_LINEAR, SHAPE_HEAD, SHAPE_MIDDLE, SHAPE_SELF, SHAPE_SWEEP };

struct ListShape {
    ShapeKind kind;
    int percent;
};

// What a detector is given: the head, and for the kernels that need them the
// nodes in list order and their count.
struct BenchList {
    Node* head;
    Node* const* order;
    int64_t n;
};

// The shape's name in benchmark names: "linear", "head", "middle", "self", or
// "k<percent>" for the sweep.
std::string shapeName(ListShape shape);

// The index the tail of an n-node list links to, or -1 for a linear list.
int64_t tailTarget(ListShape shape, int64_t n);

// The n >= 1 nodes of the size-n set in the layout's order. The set is made on
// first use, one malloc per node in list order as the programs allocate, and
// kept for the life of the process; so is each order. Ends the process with
// one line on standard error if memory runs out.
const std::vector<Node*>& linkOrder(int64_t n, Layout layout);

// Links the nodes in order, the last to order[target], or to null when
// target < 0, and returns the list they make. order must not be empty.
BenchList linkShape(const std::vector<Node*>& order, int64_t target);

// The same n nodes as linkOrder(n, layout) would give, in the same order,
// but on 2 MiB transparent huge pages: one region, 2 MiB aligned and
// madvised, with the nodes 32 bytes apart as malloc places them, one set per
// size for both layouts. Where the kernel has no huge pages the region stays
// on 4 KiB pages. Kept for the life of the process; ends it with one line on
// standard error if memory runs out.
const std::vector<Node*>& hugeLinkOrder(int64_t n, Layout layout);

// Evicts every node's cache line: clflushopt where the processor has it,
// otherwise a walk over a buffer four times the last-level cache's size.
void flushNodes(const std::vector<Node*>& order);

#endif
