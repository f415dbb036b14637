// Builds a list whose tail links back to its third item, and asks the library
// where the cycle starts. Exits 0 only if every answer is right.
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
    return found.entry == &items[2] && found.mu == 2 && found.lambda == 3 ? 0 : 1;
}
