// Running a mapping function's work on several threads: how many to use,
// and a task run on each, with exceptions carried back to the caller.
#ifndef CYCLE_DETAIL_THREADS_H
#define CYCLE_DETAIL_THREADS_H

#include <cstdint>
#include <exception>
#include <thread>
#include <vector>

namespace cycle {
namespace detail {

// Each thread of a mapping function takes a block of at least this many
// elements (of starts, in the colouring), so that a mapping of fewer than
// twice as many runs on one thread: below 2^21 elements two threads measured
// slower than one on every shape (AMD Zen 5), their start and the sharing
// of the arrays costing more than the second core saves.
constexpr uint64_t ELEMENTS_PER_THREAD = uint64_t{1} << 20;

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
