// The benchmark's list: node and handle records and the three list
// operations that build it, maybe close it into a cycle, and print it.
#ifndef CYCLE_HARNESS_EX3_H
#define CYCLE_HARNESS_EX3_H

#include <cstdint>

// One element of a singly linked list; next is null at the end of a linear list.
struct Node {
    int32_t val;
    Node* next;
};

// The list handle, passed and returned by value. It does not own the nodes.
struct List {
    Node* head;
    Node* tail;
    int32_t size;
};

// The heap figures in the reports are counted in these record sizes.
static_assert(sizeof(Node) == 16, "a Node must be 16 bytes");
static_assert(sizeof(List) == 24, "a List must be 24 bytes");

// Where createList writes its one-line heap report.
constexpr const char* HEAP_REPORT_FILE = "output_ex3.txt";

// Reseeds the generator from the current second and appends n nodes with
// values 1 to 10000 (one rand per node, in list order), each a counted
// allocation, then writes the heap report. A count of 0 or less builds an
// empty list. Exits with status 1 if memory runs out or the report fails.
List createList(int32_t n);

// Reseeds from the current second and tosses a coin: prints "linear List", or
// links the tail to a random node, saying which. head, tail and size never
// change. An empty list is always left linear.
List createCycle(List list);

// Prints each value of a linear list followed by a tab, then a newline;
// prints "Empty" for an empty list. Must not be given a cyclic list.
void printList(List list);

#endif
