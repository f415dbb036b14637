#include "bench_detectors.h"

#include <unordered_set>

template <typename Counts> int traverse(BenchList list, Counts& counts) {
    const Node* node = list.head;
    for (int64_t i = 0; i < list.n; i++) {
        node = node->next;
    }
    countMoves(counts, list.n, list.n);
    return node != nullptr;
}

// The sum is returned through a test the compiler cannot fold, so that every
// load stays; values are positive, so the sum is never negative.
template <typename Counts> int stream(BenchList list, Counts&) {
    int64_t sum = 0;
    for (int64_t i = 0; i < list.n; i++) {
        sum += list.order[i]->val;
    }
    return sum < 0;
}

// The trailing pointer is returned through a test so that its loads stay.
template <typename Counts> int trail(BenchList list, Counts& counts) {
    const Node* node = list.head;
    const Node* trailing = list.head;
    for (int64_t i = 0; i < list.n; i++) {
        node = node->next;
        if ((i & 1) != 0) {
            trailing = trailing->next;
        }
    }
    countMoves(counts, list.n + list.n / 2, list.n);
    return (node != nullptr) & (trailing != nullptr);
}

template <typename Counts> int brentFrom(const Node* start, Counts& counts) {
    if (start == nullptr) {
        return 0;
    }
    const Node* tortoise = start;
    const Node* runner = start->next;
    countMoves(counts, 1, 1);
    int64_t power = 1;
    int64_t length = 1;
    while (runner != nullptr && runner != tortoise) {
        if (power == length) {
            tortoise = runner;
            power *= 2;
            length = 0;
        }
        runner = runner->next;
        countMoves(counts, 1, 1);
        length++;
    }
    return runner != nullptr;
}

template <typename Counts> int brent(BenchList list, Counts& counts) {
    return brentFrom(list.head, counts);
}

template <typename Counts> int hashset(BenchList list, Counts& counts) {
    std::unordered_set<const Node*> seen;
    seen.reserve(static_cast<size_t>(list.n));
    for (const Node* node = list.head; node != nullptr; node = node->next) {
        if (!seen.insert(node).second) {
            return 1;
        }
        countEntries(counts, static_cast<int64_t>(seen.size()));
        countMoves(counts, 1, 1);
    }
    return 0;
}

#define INSTANTIATE_FOR_BOTH_COUNTS(detector)                                                      \
    template int detector(BenchList, NoCounts&);                                                   \
    template int detector(BenchList, StepCounts&);

INSTANTIATE_FOR_BOTH_COUNTS(traverse)
INSTANTIATE_FOR_BOTH_COUNTS(stream)
INSTANTIATE_FOR_BOTH_COUNTS(trail)
INSTANTIATE_FOR_BOTH_COUNTS(brent)
INSTANTIATE_FOR_BOTH_COUNTS(hashset)
template int brentFrom(const Node*, NoCounts&);
template int brentFrom(const Node*, StepCounts&);
