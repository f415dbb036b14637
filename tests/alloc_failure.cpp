// A global operator new that fails on demand (see alloc_failure.h), over
// malloc, with the matching deletes.
#include "alloc_failure.h"

#include <cstdlib>
#include <new>

namespace {
// Allocations left before the failures start; -1 for none.
int64_t allocations_left = -1;
int64_t live = 0;
} // namespace

int64_t liveAllocations() {
    return live;
}

void failAllocationsAfter(int64_t count) {
    allocations_left = count;
}

void failNever() {
    allocations_left = -1;
}

void* operator new(size_t size) {
    if (allocations_left == 0) {
        throw std::bad_alloc();
    }
    if (allocations_left > 0) {
        allocations_left--;
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        live++;
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    if (block != nullptr) {
        live--;
        std::free(block);
    }
}

void operator delete(void* block, size_t) noexcept {
    operator delete(block);
}
