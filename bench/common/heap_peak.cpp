// malloc and its family, forwarded to glibc's own and counted by the usable
// size of each block. Every library in the process, C or C++, reaches these
// before glibc's, since the executable's symbols come first.
#include "common/heap_peak.h"

#include <atomic>
#include <cerrno>
#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define CYCLE_BENCH_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CYCLE_BENCH_SANITIZED 1
#endif

#if defined(__GLIBC__) && !defined(CYCLE_BENCH_SANITIZED)
#include <malloc.h>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<int64_t> held{0};
std::atomic<int64_t> peak{0};

void taken(void* block) {
    if (block != nullptr) {
        const int64_t now = held.fetch_add(static_cast<int64_t>(malloc_usable_size(block)),
                                           std::memory_order_relaxed) +
                            static_cast<int64_t>(malloc_usable_size(block));
        int64_t most = peak.load(std::memory_order_relaxed);
        while (now > most && !peak.compare_exchange_weak(most, now, std::memory_order_relaxed)) {
        }
    }
}

void given(void* block) {
    if (block != nullptr) {
        held.fetch_sub(static_cast<int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
    }
}

} // namespace

extern "C" {
void* malloc(size_t size) {
    void* block = __libc_malloc(size);
    taken(block);
    return block;
}
void* calloc(size_t count, size_t size) {
    void* block = __libc_calloc(count, size);
    taken(block);
    return block;
}
void* realloc(void* block, size_t size) {
    given(block);
    void* moved = __libc_realloc(block, size);
    // A failed realloc leaves the block where it was.
    taken(moved != nullptr || size == 0 ? moved : block);
    return moved;
}
void free(void* block) {
    given(block);
    __libc_free(block);
}
void* memalign(size_t alignment, size_t size) {
    void* block = __libc_memalign(alignment, size);
    taken(block);
    return block;
}
void* aligned_alloc(size_t alignment, size_t size) {
    return memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) {
        return EINVAL;
    }
    void* block = memalign(alignment, size);
    if (block == nullptr && size != 0) {
        return ENOMEM;
    }
    *out = block;
    return 0;
}
}

bool heapCounted() {
    return true;
}

int64_t heapPeakReset() {
    const int64_t now = held.load(std::memory_order_relaxed);
    peak.store(now, std::memory_order_relaxed);
    return now;
}

int64_t heapPeak() {
    return peak.load(std::memory_order_relaxed);
}
#else
bool heapCounted() {
    return false;
}
int64_t heapPeakReset() {
    return 0;
}
int64_t heapPeak() {
    return 0;
}
#endif
