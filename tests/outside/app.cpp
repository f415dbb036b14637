// Builds a list whose tail links back to its third item, and asks the library
// where the cycle starts; then the period of x -> x^2 + 1 mod 255 from 3, a
// parent array's loop and a dependency graph's cycle.
// Exits 0 only if every answer is right.
#include <cycle/detect.h>

#include <cstdio>
#include <vector>

struct Item {
    int value;
    Item* next;
};

int main() {
    Item items[5] = {
        {1, &items[1]}, {2, &items[2]}, {3, &items[3]}, {4, &items[4]}, {5, &items[2]}};
    auto next = [](const Item* item) { return item->next; };
    cycle::Cycle<Item> found = cycle::findCycle(&items[0], next);
    std::printf("cyclic: %d, entry value: %d, mu: %lld, lambda: %lld\n",
                cycle::hasCycle(&items[0], next), found.entry->value,
                static_cast<long long>(found.mu), static_cast<long long>(found.lambda));

    auto square = [](const int& x) { return (x * x + 1) % 255; };
    cycle::Period<int> period = cycle::findPeriod(3, square);
    std::optional<cycle::Period<int>> within = cycle::findPeriodWithin(3, square, 7);
    std::printf("period from 3: entry %d, mu %lld, lambda %lld; within 7: %s\n", period.entry,
                static_cast<long long>(period.mu), static_cast<long long>(period.lambda),
                within ? "found" : "not found");
    // A parent array whose root 4 was pointed back into its own tree: one
    // loop, 1 -> 4 -> 1, found on two threads.
    const int parent[6] = {1, 4, 1, 2, 1, 0};
    std::vector<cycle::Loop<int>> loops = cycle::findCycles(parent, 6, 2);
    cycle::MapSummary summary = cycle::traceAll<int>(parent, 6, nullptr, nullptr, 2);
    std::printf("loops: %zu, leader %d, length %llu; on cycles %llu\n", loops.size(),
                loops.empty() ? -1 : loops[0].leader,
                loops.empty() ? 0ull : static_cast<unsigned long long>(loops[0].length),
                static_cast<unsigned long long>(summary.on_cycles));
    // A build whose targets depend on each other: lib -> util -> log -> lib.
    const unsigned offsets[5] = {0, 1, 2, 3, 4};
    const unsigned targets[4] = {1, 2, 3, 1};
    std::vector<unsigned> loop = cycle::findGraphCycle(offsets, targets, 4);
    std::printf("graph cycle: %zu vertices from %u\n", loop.size(), loop.empty() ? 0u : loop[0]);
    bool right = found.entry == &items[2] && found.mu == 2 && found.lambda == 3;
    right = right && loops.size() == 1 && loops[0].leader == 1 && loops[0].length == 2 &&
            summary.on_cycles == 2;
    right = right && loop == std::vector<unsigned>{1, 2, 3};
    right = right && period.entry == 101 && period.mu == 2 && period.lambda == 6 && !within;
    return right ? 0 : 1;
}
