// Compiler specifics, each guarded here and nowhere else: inlining and
// branch hints, prefetching, and the relaxed atomic operations that the
// threaded mapping walks apply to plain memory (a byte of the colouring, a
// counter of the in-degrees), and the lowest set bit of a word. With GCC and Clang these are
// builtins; other compilers get plain inlining, no hints, no prefetch, and std::atomic over the
// same storage.
#ifndef CYCLE_DETAIL_CONFIG_H
#define CYCLE_DETAIL_CONFIG_H

#if defined(__GNUC__) || defined(__clang__)
#define CYCLE_GNU_BUILTINS 1
#else
#define CYCLE_GNU_BUILTINS 0
#include <atomic>
#endif

#include <cstdint>

// A walk's first stretch is inlined where it is called, whatever the
// compiler's size estimate, and its table stretch kept out of line. Each
// rare condition of a steady loop is marked rare, so that the compiler lays
// the loop out as one block whose only taken branch is the one back.
#if CYCLE_GNU_BUILTINS
#define CYCLE_ALWAYS_INLINE inline __attribute__((always_inline))
#define CYCLE_NOINLINE __attribute__((noinline))
#define CYCLE_RARELY(condition) __builtin_expect(static_cast<bool>(condition), 0)
#else
#define CYCLE_ALWAYS_INLINE inline
#define CYCLE_NOINLINE
#define CYCLE_RARELY(condition) (condition)
#endif

namespace cycle {
namespace detail {

// Asks for the cache line at address ahead of its use; never faults, so a
// null or past-the-end address is harmless.
inline void prefetchLine(const void* address) {
#if CYCLE_GNU_BUILTINS
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

#if !CYCLE_GNU_BUILTINS
// The plain object at address seen as a std::atomic<T>, which has T's size
// and representation wherever it is lock-free.
template <typename T> std::atomic<T>* asAtomic(T* address) {
    static_assert(sizeof(std::atomic<T>) == sizeof(T) && std::atomic<T>::is_always_lock_free,
                  "a lock-free atomic of the plain type's size");
    return reinterpret_cast<std::atomic<T>*>(address);
}
#endif

// Relaxed atomic load, store, compare-and-swap and add on plain memory that
// several threads share. Relaxed suffices: the walks need each operation to
// be indivisible, and the threads' joins order everything else.
template <typename T> T atomicLoad(const T* address) {
#if CYCLE_GNU_BUILTINS
    return __atomic_load_n(address, __ATOMIC_RELAXED);
#else
    return asAtomic(const_cast<T*>(address))->load(std::memory_order_relaxed);
#endif
}

template <typename T> void atomicStore(T* address, T value) {
#if CYCLE_GNU_BUILTINS
    __atomic_store_n(address, value, __ATOMIC_RELAXED);
#else
    asAtomic(address)->store(value, std::memory_order_relaxed);
#endif
}

// Writes desired if address still holds expected; false if it held anything
// else.
template <typename T> bool atomicSwapIf(T* address, T expected, T desired) {
#if CYCLE_GNU_BUILTINS
    return __atomic_compare_exchange_n(address, &expected, desired, false, __ATOMIC_RELAXED,
                                       __ATOMIC_RELAXED);
#else
    return asAtomic(address)->compare_exchange_strong(expected, desired, std::memory_order_relaxed);
#endif
}

template <typename T> void atomicAdd(T* address, T amount) {
#if CYCLE_GNU_BUILTINS
    __atomic_fetch_add(address, amount, __ATOMIC_RELAXED);
#else
    asAtomic(address)->fetch_add(amount, std::memory_order_relaxed);
#endif
}

// The position of the lowest set bit of a word that is not 0.
inline unsigned lowestBit(uint64_t word) {
#if CYCLE_GNU_BUILTINS
    return static_cast<unsigned>(__builtin_ctzll(word));
#else
    unsigned position = 0;
    while ((word >> position & 1) == 0) {
        position++;
    }
    return position;
#endif
}

} // namespace detail
} // namespace cycle

#endif
