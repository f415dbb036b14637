// Counting operator new and delete: each block is counted at the size the
// allocator gave it (malloc_usable_size), at new and again at delete.
#include "heap_count.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define HEAP_COUNTED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define HEAP_COUNTED 0
#endif
#endif
#ifndef HEAP_COUNTED
#define HEAP_COUNTED 1
#endif

namespace {
std::atomic<int64_t> held{0};
std::atomic<int64_t> peak{0};
} // namespace

bool heapCounted() {
    return HEAP_COUNTED != 0;
}

int64_t heapHeld() {
    return held.load();
}

int64_t heapPeak() {
    return peak.load();
}

void resetHeapPeak() {
    peak = held.load();
}

#if HEAP_COUNTED
void* operator new(size_t size) {
    void* block = std::malloc(size > 0 ? size : 1);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    const int64_t now = held += static_cast<int64_t>(malloc_usable_size(block));
    int64_t most = peak.load();
    while (now > most && !peak.compare_exchange_weak(most, now)) {
    }
    return block;
}

void operator delete(void* block) noexcept {
    if (block != nullptr) {
        held -= static_cast<int64_t>(malloc_usable_size(block));
        std::free(block);
    }
}

void operator delete(void* block, size_t) noexcept {
    operator delete(block);
}
#endif
