// Builds a list whose tail links back to its third item, and asks the library
// where the cycle starts; then the period of x -> x^2 + 1 mod 255 from 3.
// Exits 0 only if every answer is right.
#include <cycle/detect.h>

#include <cstdio>

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
    bool right = found.entry == &items[2] && found.mu == 2 && found.lambda == 3;
    right = right && period.entry == 101 && period.mu == 2 && period.lambda == 6 && !within;
    return right ? 0 : 1;
}
