#include "short/short_lists.h"

#include <random>

const char* shortShapeName(ShortShape shape) {
    switch (shape) {
    case SHORT_LINEAR:
        return "linear";
    case SHORT_HEAD:
        return "head";
    case SHORT_RANDOM:
        return "random";
    case SHORT_MIXED:
        return "mixed";
    case SHORT_MIXED_HEAD:
        break;
    }
    return "mixed_head";
}

bool shortShapeLinear(ShortShape shape) {
    return shape == SHORT_LINEAR || shape == SHORT_MIXED;
}

ShortLists linkShort(Layout layout, ShortShape shape, int64_t n) {
    // The scattered pool's fixed permutation: its first SHORT_NODES nodes are
    // a random draw from the whole pool.
    const std::vector<Node*>& nodes =
        layout.scattered ? linkOrder(SHORT_POOL, layout) : linkOrder(SHORT_NODES, layout);
    ShortLists lists{{}, {}, n, 0, nullptr};
    std::mt19937_64 generator(static_cast<uint64_t>(n));
    const bool mixed = shape == SHORT_MIXED || shape == SHORT_MIXED_HEAD;
    std::uniform_int_distribution<int64_t> mixed_length(1, 2 * n - 1);
    int64_t length = mixed ? mixed_length(generator) : n;
    for (int64_t first = 0; first + length <= SHORT_NODES;) {
        Node* const* list = nodes.data() + first;
        for (int64_t i = 0; i + 1 < length; i++) {
            list[i]->next = list[i + 1];
        }
        Node* tail_target = nullptr;
        if (shape == SHORT_HEAD || shape == SHORT_MIXED_HEAD) {
            tail_target = list[0];
        } else if (shape == SHORT_RANDOM) {
            tail_target = list[std::uniform_int_distribution<int64_t>(0, n - 1)(generator)];
        }
        list[length - 1]->next = tail_target;
        lists.heads.push_back(list[0]);
        lists.lengths.push_back(length);
        lists.cyclic += tail_target != nullptr;
        first += length;
        if (mixed) {
            length = mixed_length(generator);
        }
    }
    lists.verdicts.reset(new bool[lists.heads.size()]);
    return lists;
}
