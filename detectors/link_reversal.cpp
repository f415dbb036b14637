#include "link_reversal.h"

// The reversal itself, written once: NoCounts gives the programs' detector,
// StepCounts the benchmark's counting run. The quick tests count nothing;
// each pass of the loop is one move and one link written.
template <typename Counts> static ReversalVerdict reverse(Node* head, Counts& counts) {
    if (head == nullptr) {
        return {REVERSAL_LINEAR, "Empty List"};
    }
    Node* second = head->next;
    if (second == nullptr) {
        return {REVERSAL_LINEAR, "Single Node,no self loop"};
    }
    if (second == head) {
        return {REVERSAL_EARLY_CYCLIC, "Cyclic, single node with self loop"};
    }
    if (second->next == nullptr) {
        return {REVERSAL_LINEAR, "Linked List"};
    }
    if (second->next == second || second->next == head) {
        return {REVERSAL_EARLY_CYCLIC, "Cyclic"};
    }

    Node* previous = nullptr;
    Node* current = head;
    Node* ahead = head->next;
    while (current != nullptr) {
        current->next = previous;
        previous = current;
        current = ahead;
        // Read only now: the node that has just become current may already
        // have been reversed on the way round a cycle.
        if (ahead != nullptr) {
            ahead = ahead->next;
        }
        countMoves(counts, 1, 1);
        countWrite(counts);
    }
    return {previous == head ? REVERSAL_CYCLIC : REVERSAL_LINEAR, nullptr};
}

ReversalVerdict reverseLinks(Node* head) {
    NoCounts none;
    return reverse(head, none);
}

ReversalVerdict reverseLinksCounted(Node* head, StepCounts& counts) {
    return reverse(head, counts);
}
