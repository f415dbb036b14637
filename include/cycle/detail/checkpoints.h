// The walk behind hasCycle and findCycle: one pointer, and a small table of
// checkpoints (nodes it passed at known positions) that every step probes.
//
// The checkpoints are spaced gap links apart from the head, gap a power of
// two. When CHECKPOINTS of them are held, every other one is dropped and the
// gap doubles (Sedgewick, Szymanski and Yao's thinning), so the gap stays
// within a 31st of the position reached, and a walk that has entered a cycle
// comes back to a checkpoint at most one gap after a lap.
// The probe is a table indexed by a hash of the address: one load, one
// compare and a branch that holds until the end. Two checkpoints may share a
// slot: the older one keeps it, unless the newer is an anchor (the checkpoint
// at a power-of-two position), which keeps Brent's bound whatever the
// addresses.
#ifndef CYCLE_DETAIL_CHECKPOINTS_H
#define CYCLE_DETAIL_CHECKPOINTS_H

#include "tally.h"

#include <cstdint>

namespace cycle {
namespace detail {

// 64 checkpoints in 512 slots: a slot is shared by one checkpoint in eight,
// and the 4 KiB table stays in L1 beside the list it guards. Larger tables
// measured slower on lists in allocation order, where the probe's misses show.
constexpr int CHECKPOINT_SLOT_BITS = 9;
constexpr int64_t CHECKPOINT_SLOTS = int64_t{1} << CHECKPOINT_SLOT_BITS;
constexpr int64_t CHECKPOINTS = 64;

// The walk's memory. held[i] is the node at position i * gap, for i < count;
// slots holds most of them, each at the slot of its address's hash.
template <typename Node> struct Checkpoints {
    const Node* slots[CHECKPOINT_SLOTS];
    const Node* held[CHECKPOINTS];
    int64_t count;
    int64_t gap;
};

// Where a walk ended: on a node seen before (repeat), or on null (repeat is
// null); position counts the calls of next made to get there.
template <typename Node> struct Sighting {
    const Node* repeat;
    int64_t position;
};

// Fibonacci hashing: the top bits of the address times 2^64 / phi spread
// nodes allocated at a fixed stride over the whole table.
template <typename Node> int64_t checkpointSlot(const Node* node) {
    uint64_t mixed = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(node)) * 0x9E3779B97F4A7C15u;
    return static_cast<int64_t>(mixed >> (64 - CHECKPOINT_SLOT_BITS));
}

// Drops every other checkpoint, the odd ones, and doubles the gap. A dropped
// node leaves its slot only if it still holds it.
template <typename Node> void thinCheckpoints(Checkpoints<Node>& marks) {
    for (int64_t i = 0; i < CHECKPOINTS / 2; i++) {
        const Node* dropped = marks.held[2 * i + 1];
        const Node*& slot = marks.slots[checkpointSlot(dropped)];
        if (slot == dropped) {
            slot = nullptr;
        }
        marks.held[i] = marks.held[2 * i];
    }
    marks.count = CHECKPOINTS / 2;
    marks.gap *= 2;
}

// Saves node, reached at position (a multiple of the gap), whose slot is slot.
// A power-of-two position makes it the anchor, which takes its slot whatever
// holds it: so a cycle of lambda nodes entered after mu is caught by an
// anchor within 2 max(mu, lambda) + lambda calls. Any other checkpoint takes
// only an empty slot, so that one saved early (the head, say, which catches a
// cycle through the head on the lap) is never displaced later.
template <typename Node>
void saveCheckpoint(Checkpoints<Node>& marks, const Node*& slot, const Node* node,
                    int64_t position) {
    if ((position & (position - 1)) == 0 || slot == nullptr) {
        slot = node;
    }
    marks.held[marks.count++] = node;
    if (marks.count == CHECKPOINTS) {
        thinCheckpoints(marks);
    }
}

// Walks from head (not null) until next gives null or a node seen before.
// Each node is probed before it may be saved, so a repeat is the first visit
// again of a saved node: its position minus the repeat's is the cycle length.
// At most 2 max(mu, lambda) + lambda calls of next (the anchors), and with
// no shared slots mu + lambda + one gap, the gap under a 31st of the calls.
template <typename Node, typename Next, typename Tally>
Sighting<Node> sightRepeat(const Node* head, Next& next, Tally& tally, Checkpoints<Node>& marks) {
    for (const Node*& slot : marks.slots) {
        slot = nullptr;
    }
    marks.slots[checkpointSlot(head)] = head;
    marks.held[0] = head;
    marks.count = 1;
    marks.gap = 1;

    const Node* node = head;
    int64_t position = 0;
    int64_t next_save = 1;
    for (;;) {
        node = next(node);
        position++;
        if (node == nullptr) {
            break;
        }
        const Node*& slot = marks.slots[checkpointSlot(node)];
        if (slot == node) {
            break;
        }
        if (position == next_save) {
            saveCheckpoint(marks, slot, node, position);
            next_save = marks.count * marks.gap;
        }
    }
    countMoves(tally, position, position);
    return {node, position};
}

// The node at position target <= the last checkpoint's position plus a gap,
// walked to from the checkpoint at or before it: fewer than gap calls.
template <typename Node, typename Next>
const Node* nodeAt(const Checkpoints<Node>& marks, Next& next, int64_t target, int64_t& moves) {
    const Node* node = marks.held[target / marks.gap];
    for (int64_t i = target % marks.gap; i > 0; i--) {
        node = next(node);
        moves++;
    }
    return node;
}

} // namespace detail
} // namespace cycle

#endif
