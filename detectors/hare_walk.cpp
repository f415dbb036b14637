#include "hare_walk.h"

#include "cycle/detect.h"

// The walk is the library's Floyd walk, written once: NoCounts gives the
// programs' detector, StepCounts the benchmark's counting run. What remains
// here is the line each ending prints.
template <typename Counts> static HareVerdict walk(const Node* head, Counts& counts) {
    auto next = [](const Node* node) { return node->next; };
    cycle::detail::FloydEnd end = cycle::detail::floydWalk(head, next, counts);
    switch (end) {
    case cycle::detail::FLOYD_EMPTY:
        return {"Empty List Passed", 0};
    case cycle::detail::FLOYD_SINGLE:
        return {"Single Node,no self loop", 0};
    case cycle::detail::FLOYD_SELF_LOOP:
        return {"Circular, single node with self loop", 1};
    case cycle::detail::FLOYD_TWO_LINEAR:
    case cycle::detail::FLOYD_WALK_LINEAR:
        return {"Linear", 0};
    case cycle::detail::FLOYD_TWO_CYCLIC:
    case cycle::detail::FLOYD_WALK_CYCLIC:
        break;
    }
    return {"Cyclic", 1};
}

HareVerdict hareWalk(const Node* head) {
    NoCounts none;
    return walk(head, none);
}

HareVerdict hareWalkCounted(const Node* head, StepCounts& counts) {
    return walk(head, counts);
}
