// Counted allocation: every byte of list memory is obtained and given back
// through this pair, which keeps heap_mem_allocated current.
#ifndef CYCLE_HARNESS_MYFUNC_H
#define CYCLE_HARNESS_MYFUNC_H

#include <cstdint>

// Bytes declared by myalloc callers minus bytes declared by myfree callers.
// It counts what callers say, not what the allocator really hands out.
extern int32_t heap_mem_allocated;

// Adds count * size to heap_mem_allocated and returns malloc(count * size).
// The product wraps as a 32-bit signed value; a negative one becomes a huge
// request. The result is passed back as it comes, null included.
void* myalloc(int32_t count, int32_t size);

// Subtracts count * size from heap_mem_allocated and frees p. The count and
// size are the caller's statement and need not match the allocation.
void myfree(void* p, int32_t count, int32_t size);

#endif
