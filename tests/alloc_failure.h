// Failure injection for tests of what std::bad_alloc leaves behind: linked
// in, alloc_failure.cpp replaces the global operator new with one that
// throws once a set number of allocations have been made.
#ifndef CYCLE_TESTS_ALLOC_FAILURE_H
#define CYCLE_TESTS_ALLOC_FAILURE_H

#include <cstdint>

// operator new throws std::bad_alloc once count more allocations have
// succeeded, and from then on until failNever(); count 0 fails the next.
void failAllocationsAfter(int64_t count);
void failNever();

// The blocks operator new gave out and operator delete has not taken back:
// equal before and after a call that freed all it took.
int64_t liveAllocations();

#endif
