// The bytes a test program holds from operator new, for tests of a
// function's extra memory: linked in, heap_count.cpp replaces the global
// operator new and delete with ones that count. Under a sanitizer, which
// brings its own allocator, nothing is counted and heapCounted() is false.
#ifndef CYCLE_TESTS_HEAP_COUNT_H
#define CYCLE_TESTS_HEAP_COUNT_H

#include <cstdint>

bool heapCounted();

// The bytes held now.
int64_t heapHeld();

// The most bytes held since the last resetHeapPeak(), which starts it at
// what is held then.
int64_t heapPeak();
void resetHeapPeak();

#endif
