// What the mapping functions share: elements as 64-bit positions, the read
// of a successor that turns an entry outside [0, m) into the end of a path,
// prefetching, and running a task on several threads.
#ifndef CYCLE_DETAIL_ELEMENTS_H
#define CYCLE_DETAIL_ELEMENTS_H

#include <cstddef>
#include <cstdint>
#include <exception>
#include <thread>
#include <type_traits>
#include <vector>

namespace cycle {
namespace detail {

// The element value names, or m (no element) for any entry outside [0, m):
// negative, or m and above.
template <typename Index> uint64_t elementOf(Index value, uint64_t m) {
    if constexpr (std::is_signed<Index>::value) {
        if (value < 0) {
            return m;
        }
    }
    const uint64_t element = static_cast<uint64_t>(value);
    return element < m ? element : m;
}

// Asks for the cache line at address ahead of its use; never faults, so a
// null or past-the-end address is harmless.
inline void prefetchLine(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// i -> next[i] read from a table; a successor's entry can be prefetched.
template <typename Index> struct TableMap {
    const Index* next;
    uint64_t m;

    uint64_t operator()(uint64_t element) const {
        return elementOf(next[element], m);
    }
    void prefetch(uint64_t element) const {
        prefetchLine(next + element);
    }
};

// i -> f(i) for a caller's callable: nothing to prefetch.
template <typename Index, typename F> struct CallMap {
    F& f;
    uint64_t m;

    uint64_t operator()(uint64_t element) const {
        return elementOf(static_cast<Index>(f(static_cast<Index>(element))), m);
    }
    void prefetch(uint64_t) const {}
};

// The number of threads to use: 0 counts as 1, and no more than one for
// every whole block of elements, so that each thread has a block at least
// and small mappings are not split.
inline unsigned threadsFor(unsigned threads, uint64_t m, uint64_t block) {
    if (threads < 1) {
        threads = 1;
    }
    const uint64_t most = m / block > 1 ? m / block : 1;
    return threads < most ? threads : static_cast<unsigned>(most);
}

// Runs task(t) for t < threads, t = 0 on the calling thread, and returns
// when all have ended; the tasks must not wait for one another, since one
// whose thread could not be started runs on the calling thread after task 0. An exception from any
// task (std::bad_alloc, or one from the caller's f) is rethrown here, the first one caught.
template <typename Task> void onThreads(unsigned threads, Task task) {
    if (threads <= 1) {
        task(0u);
        return;
    }
    std::vector<std::exception_ptr> failures(threads);
    std::vector<std::thread> others;
    others.reserve(threads - 1);
    // A thread that cannot be started leaves its task to this one.
    std::vector<unsigned> inline_tasks{0u};
    for (unsigned t = 1; t < threads; t++) {
        try {
            others.emplace_back([&task, &failures, t] {
                try {
                    task(t);
                } catch (...) {
                    failures[t] = std::current_exception();
                }
            });
        } catch (...) {
            inline_tasks.push_back(t);
        }
    }
    for (unsigned t : inline_tasks) {
        try {
            task(t);
        } catch (...) {
            failures[t] = std::current_exception();
        }
    }
    for (std::thread& thread : others) {
        thread.join();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
}

} // namespace detail
} // namespace cycle

#endif
