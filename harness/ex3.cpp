#include "ex3.h"

#include "checked_file.h"
#include "myfunc.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <err.h>

static void* allocateOrExit(int32_t size, const char* what) {
    void* block = myalloc(1, size);
    if (block == nullptr) {
        err(1, "cannot allocate %s", what);
    }
    return block;
}

static void writeHeapReport() {
    FILE* report = openChecked(HEAP_REPORT_FILE, "w");
    fprintf(report, "Memory used on Heap: %d\n", heap_mem_allocated);
    closeChecked(report, HEAP_REPORT_FILE);
}

List createList(int32_t n) {
    // The working header is counted and deliberately never released.
    List* header = static_cast<List*>(allocateOrExit(sizeof(List), "the list header"));
    header->head = nullptr;
    header->tail = nullptr;
    header->size = 0;

    srand(static_cast<unsigned>(time(nullptr)));
    for (int32_t i = 0; i < n; i++) {
        Node* node = static_cast<Node*>(allocateOrExit(sizeof(Node), "a list node"));
        if (header->head == nullptr) {
            header->head = node;
        } else {
            header->tail->next = node;
        }
        header->tail = node;
        node->val = rand() % 10000 + 1;
        node->next = nullptr;
        header->size++;
    }

    writeHeapReport();
    return *header;
}

List createCycle(List list) {
    if (list.size <= 0) {
        puts("linear List");
        return list;
    }
    srand(static_cast<unsigned>(time(nullptr)));
    if (rand() % 2 == 0) {
        puts("linear List");
        return list;
    }
    int32_t k = rand() % list.size;
    puts("Cyclic List created");
    Node* target = list.head;
    for (int32_t i = 0; i < k; i++) {
        target = target->next;
    }
    printf("Linked to node with val=%d\n", target->val);
    list.tail->next = target;
    return list;
}

void printList(List list) {
    if (list.head == nullptr) {
        puts("Empty");
        return;
    }
    for (Node* node = list.head; node != nullptr; node = node->next) {
        printf("%d\t", node->val);
    }
    puts("");
}
