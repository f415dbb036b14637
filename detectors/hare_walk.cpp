#include "hare_walk.h"

HareVerdict hareWalk(const Node* head) {
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
    while (fast != nullptr && slow != nullptr && fast->next != nullptr) {
        if (fast == slow) {
            return {"Cyclic", 1};
        }
        fast = fast->next->next;
        slow = slow->next;
    }
    return {"Linear", 0};
}
