#include "myfunc.h"

#include <cstdlib>

int32_t heap_mem_allocated = 0;

// 32-bit signed arithmetic that wraps instead of overflowing: the counter's
// figures are defined modulo 2^32, and signed overflow would be undefined.
static int32_t wrap(uint32_t bits) {
    return static_cast<int32_t>(bits);
}

static int32_t declaredBytes(int32_t count, int32_t size) {
    return wrap(static_cast<uint32_t>(count) * static_cast<uint32_t>(size));
}

void* myalloc(int32_t count, int32_t size) {
    int32_t bytes = declaredBytes(count, size);
    heap_mem_allocated =
        wrap(static_cast<uint32_t>(heap_mem_allocated) + static_cast<uint32_t>(bytes));
    return malloc(static_cast<size_t>(static_cast<int64_t>(bytes)));
}

void myfree(void* p, int32_t count, int32_t size) {
    int32_t bytes = declaredBytes(count, size);
    heap_mem_allocated =
        wrap(static_cast<uint32_t>(heap_mem_allocated) - static_cast<uint32_t>(bytes));
    free(p);
}
