#include "hare_walk.h"

// The walk itself, written once: NoCounts gives the programs' detector,
// StepCounts the benchmark's counting run. The quick tests on the first
// nodes count nothing; the fast pointer's start two links ahead does.
template <typename Counts> static HareVerdict walk(const Node* head, Counts& counts) {
    if (head == nullptr) {
        return {"Empty List Passed", 0};
    }
    const Node* second = head->next;
    if (second == nullptr) {
        return {"Single Node,no self loop", 0};
    }
    if (second == head) {
        return {"Circular, single node with self loop", 1};
    }
    if (second->next == nullptr) {
        return {"Linear", 0};
    }
    if (second->next == head || second->next == second) {
        return {"Cyclic", 1};
    }

    // The fast pointer starts two nodes ahead, so on a cycle it laps the
    // slow one within n - 1 moves, and on a linear list it falls off first.
    const Node* fast = second->next;
    const Node* slow = head;
    countMoves(counts, 2, 2);
    while (fast != nullptr && slow != nullptr && fast->next != nullptr) {
        if (fast == slow) {
            return {"Cyclic", 1};
        }
        fast = fast->next->next;
        slow = slow->next;
        countMoves(counts, 3, 2);
    }
    return {"Linear", 0};
}

HareVerdict hareWalk(const Node* head) {
    NoCounts none;
    return walk(head, none);
}

HareVerdict hareWalkCounted(const Node* head, StepCounts& counts) {
    return walk(head, counts);
}
