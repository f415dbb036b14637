// Short lists, as programs keep them (hash chains, free lists, adjacency
// lists): one node set cut into lists of n nodes, checked one after another.
#ifndef CYCLE_BENCH_SHORT_LISTS_H
#define CYCLE_BENCH_SHORT_LISTS_H

#include "common/node_sets.h"

#include <cstdint>
#include <memory>
#include <vector>

// Where each short list's tail links: nowhere, its own head, or a node of
// its own list drawn once; every list n nodes long. The mixed shapes draw
// each list's length uniformly from 1 to 2n - 1, so that no predictor learns
// where a list ends, and link its tail nowhere or to its own head.
enum ShortShape { SHORT_LINEAR, SHORT_HEAD, SHORT_RANDOM, SHORT_MIXED, SHORT_MIXED_HEAD };

// The shape's name in benchmark names: "linear", "head", "random", "mixed"
// or "mixed_head".
const char* shortShapeName(ShortShape shape);

// True for the shapes whose lists all end in nullptr.
bool shortShapeLinear(ShortShape shape);

// The lists of one row: heads[i] leads to list i of lengths[i] nodes, n the
// mean length asked for; cyclic counts the cyclic ones (all of them, or
// none); verdicts has room for a verdict a list, for the kernels that check
// them all at once.
struct ShortLists {
    std::vector<Node*> heads;
    std::vector<int64_t> lengths;
    int64_t n;
    int64_t cyclic;
    std::unique_ptr<bool[]> verdicts;
};

// The nodes the short lists are cut from: SHORT_NODES of them, in allocation
// order for a sequential layout; for a scattered one, SHORT_NODES drawn at
// random from a set of SHORT_POOL nodes, so that steps miss the caches.
constexpr int64_t SHORT_NODES = int64_t{1} << 16;
constexpr int64_t SHORT_POOL = int64_t{1} << 20;

// Links the layout's short-list nodes into lists in shape (1 <= n <=
// SHORT_NODES / 2): SHORT_NODES / n lists of n nodes, or, for the mixed
// shapes, as many lists of drawn lengths as fit. The tails of SHORT_RANDOM
// lists and the mixed lengths are the same on every call. Ends the process
// with one line on standard error if memory runs out.
ShortLists linkShort(Layout layout, ShortShape shape, int64_t n);

#endif
