// The benchmark driver shared by both programs; the detector is whichever
// testCyclic the program is linked with.
#include "ex3_main.h"

#include "checked_file.h"
#include "ex3.h"
#include "myfunc.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

int main() {
    srand(static_cast<unsigned>(time(nullptr)));
    int32_t n = rand() % 50000 + 1000000;
    printf("Creating list with %d nodes\n", n);

    Stamp start = takeStamp();
    List list = createList(n);
    Stamp end = takeStamp();

    FILE* run_log = openChecked(RUN_LOG_FILE, "w");
    fprintf(run_log, "Heap Memory Used: %d\n", heap_mem_allocated);
    fprintf(run_log, "Time taken to create list with %d nodes: %lf(in ms)\n", n,
            elapsedMs(start, end));
    printf("List size: %d\n", list.size);
    list = createCycle(list);
    closeChecked(run_log, RUN_LOG_FILE);

    if (testCyclic(list) != 0) {
        puts("The given linked list had a cycle");
    } else {
        puts("The given list was a linear linked list");
    }

    // Declaring the whole counter on the head's release brings it to zero;
    // the other nodes and the working header are left to process exit.
    myfree(list.head, heap_mem_allocated, 1);
    myfree(list.tail, 0, 0);

    flushStandardOutput();
    return 0;
}
