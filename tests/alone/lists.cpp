// lists.h alone: every list function instantiated.
#include <cycle/lists.h>

struct Link {
    const Link* next;
};

bool listsAlone(const Link* head, bool* cyclic) {
    auto next = [](const Link* link) { return link->next; };
    cycle::hasCycleEach(&head, 1, next, cyclic);
    return cycle::hasCycle(head, next) && cycle::findCycle(head, next).lambda > 0 &&
           cycle::floyd(head, next) && cycle::brent(head, next) && cycle::nivasch(head, next);
}
