#include "short_lists.h"

#include <random>

const char* shortShapeName(ShortShape shape) {
    switch (shape) {
    case SHORT_LINEAR:
        return "linear";
    case SHORT_HEAD:
        return "head";
    case SHORT_RANDOM:
        break;
    }
    return "random";
}

ShortLists linkShort(Layout layout, ShortShape shape, int64_t n) {
    // The scattered pool's fixed permutation: its first SHORT_NODES nodes are
    // a random draw from the whole pool.
    const std::vector<Node*>& nodes =
        layout.scattered ? linkOrder(SHORT_POOL, layout) : linkOrder(SHORT_NODES, layout);
    ShortLists lists{{}, n, 0, nullptr};
    std::mt19937_64 generator(static_cast<uint64_t>(n));
    for (int64_t first = 0; first + n <= SHORT_NODES; first += n) {
        Node* const* list = nodes.data() + first;
        for (int64_t i = 0; i + 1 < n; i++) {
            list[i]->next = list[i + 1];
        }
        Node* tail_target = nullptr;
        if (shape == SHORT_HEAD) {
            tail_target = list[0];
        } else if (shape == SHORT_RANDOM) {
            tail_target = list[std::uniform_int_distribution<int64_t>(0, n - 1)(generator)];
        }
        list[n - 1]->next = tail_target;
        lists.heads.push_back(list[0]);
        lists.cyclic += tail_target != nullptr;
    }
    lists.verdicts.reset(new bool[lists.heads.size()]);
    return lists;
}
