// The walk behind hasCycle and findCycle: one pointer, and a small table of
// checkpoints (nodes it passed at known positions) that every step probes.
//
// The checkpoints are spaced gap links apart from the head, gap a power of
// two from FIRST_GAP on. When CHECKPOINTS of them are held, every other one
// is dropped and the gap doubles (Sedgewick, Szymanski and Yao's thinning),
// so the gap stays within a 31st of the position reached (or FIRST_GAP), and
// a walk that has entered a cycle comes back to a checkpoint at most one gap
// after a lap.
// The probe is a table of two-way buckets indexed by a hash of the address:
// two adjacent words, two compares and branches that hold until the end. A new
// checkpoint always gets in, so a short cycle is caught on its first lap
// past a checkpoint; when its bucket is full it takes the second way, and the
// first keeps an early checkpoint (the head, say, which catches a cycle
// through the head) for good, or nearly. The anchor, the checkpoint at the latest
// power-of-two position, is never displaced but by the next anchor, which
// keeps Brent's bound whatever the addresses.
#ifndef CYCLE_DETAIL_CHECKPOINTS_H
#define CYCLE_DETAIL_CHECKPOINTS_H

#include "tally.h"

#include <cstdint>

namespace cycle {
namespace detail {

// 64 checkpoints in 256 buckets of two: the 4 KiB table stays in L1 beside
// the list it guards. Larger tables measured slower on lists in allocation
// order, where the probe's misses show.
constexpr int CHECKPOINT_BUCKET_BITS = 8;
constexpr int64_t CHECKPOINT_BUCKETS = int64_t{1} << CHECKPOINT_BUCKET_BITS;
constexpr int64_t CHECKPOINTS = 64;

// The first gap. Saving every node from the head would cost a save a step on
// short lists, where a gap of 16 nodes is nothing: so the checkpoints start
// 16 apart, and the anchors are the head and the powers of two from 16 on.
constexpr int64_t FIRST_GAP = 16;

// The walk's memory. held[i] is the node at position i * gap, for i < count;
// buckets holds most of them, each in the bucket of its address's hash.
template <typename Node> struct Checkpoints {
    const Node* buckets[CHECKPOINT_BUCKETS][2];
    const Node* held[CHECKPOINTS];
    const Node* anchor;
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
template <typename Node> int64_t checkpointBucket(const Node* node) {
    uint64_t mixed = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(node)) * 0x9E3779B97F4A7C15u;
    return static_cast<int64_t>(mixed >> (64 - CHECKPOINT_BUCKET_BITS));
}

// Drops every other checkpoint, the odd ones, and doubles the gap. A dropped
// node leaves its bucket if it is still there.
template <typename Node> void thinCheckpoints(Checkpoints<Node>& marks) {
    for (int64_t i = 0; i < CHECKPOINTS / 2; i++) {
        const Node* dropped = marks.held[2 * i + 1];
        for (const Node*& way : marks.buckets[checkpointBucket(dropped)]) {
            if (way == dropped) {
                way = nullptr;
            }
        }
        marks.held[i] = marks.held[2 * i];
    }
    marks.count = CHECKPOINTS / 2;
    marks.gap *= 2;
}

// Saves node, reached at position (a multiple of the gap), into bucket: the
// first way if it is empty, else the second unless it holds the anchor, else
// the first. So the first way keeps the oldest checkpoint of its bucket until
// an anchor lands in the second. A power-of-two position makes node the
// anchor: a cycle of lambda nodes entered after mu is then caught by an
// anchor within 2 max(mu, lambda, 8) + lambda calls.
template <typename Node>
void saveCheckpoint(Checkpoints<Node>& marks, const Node** bucket, const Node* node,
                    int64_t position) {
    if (bucket[0] == nullptr) {
        bucket[0] = node;
    } else if (bucket[1] != marks.anchor) {
        bucket[1] = node;
    } else {
        bucket[0] = node;
    }
    if ((position & (position - 1)) == 0) {
        marks.anchor = node;
    }
    marks.held[marks.count++] = node;
    if (marks.count == CHECKPOINTS) {
        thinCheckpoints(marks);
    }
}

// Walks from head (not null) until next gives null or a node seen before.
// Each node is probed before it may be saved, so a repeat is the first visit
// again of a node since it was last saved: the latest copy of the repeat in
// held (a node pushed out of its bucket may be saved again) is lambda before.
// At most 2 max(mu, lambda, 8) + lambda calls of next (the anchors), and
// with no checkpoint pushed out, mu + lambda + one gap: at most 16, or a
// 31st of the calls.
template <typename Node, typename Next, typename Tally>
Sighting<Node> sightRepeat(const Node* head, Next& next, Tally& tally, Checkpoints<Node>& marks) {
    for (auto& bucket : marks.buckets) {
        bucket[0] = nullptr;
        bucket[1] = nullptr;
    }
    marks.buckets[checkpointBucket(head)][0] = head;
    marks.held[0] = head;
    marks.anchor = head;
    marks.count = 1;
    marks.gap = FIRST_GAP;

    const Node* node = head;
    int64_t position = 0;
    int64_t next_save = FIRST_GAP;
    for (;;) {
        node = next(node);
        position++;
        if (node == nullptr) {
            break;
        }
        const Node** bucket = marks.buckets[checkpointBucket(node)];
        if (bucket[0] == node || bucket[1] == node) {
            break;
        }
        if (position == next_save) {
            saveCheckpoint(marks, bucket, node, position);
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
