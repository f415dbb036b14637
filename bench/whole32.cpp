// The one-off figure of the report: every cycle of a 32-bit function over
// all 2^32 values, found by cycle::findCyclesOf on two threads. The function
// is a 64-bit mixer kept to 32 bits. Prints the number of cycles, the
// longest, the elements on cycles, the time and the peak memory.
//
// Usage: cycle_whole32 [BITS [THREADS]] (default 32 and 2; fewer bits for a
// quick try). Every PROGRESS_SECONDS it reports on standard error the calls
// of the function so far, against the 2 m that a run on a random function
// takes.
#include "period/period_kernels.h"

#include "cycle/detect.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <err.h>
#include <functional>
#include <new>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

constexpr int PROGRESS_SECONDS = 10;

// Calls are added to the shared count a batch at a time, so that counting
// costs the walks no shared line.
constexpr uint64_t CALL_BATCH = uint64_t{1} << 20;

std::atomic<uint64_t> calls_counted{0};
thread_local uint64_t calls_here = 0;

// Counts one call of the function.
inline void countCall() {
    if (++calls_here == CALL_BATCH) {
        calls_counted.fetch_add(CALL_BATCH, std::memory_order_relaxed);
        calls_here = 0;
    }
}

// Reports the calls so far every PROGRESS_SECONDS until finished is set.
void reportProgress(uint64_t m, const std::atomic<bool>& finished,
                    std::chrono::steady_clock::time_point begin) {
    auto next_report = begin + std::chrono::seconds(PROGRESS_SECONDS);
    while (!finished.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto now = std::chrono::steady_clock::now();
        if (now < next_report) {
            continue;
        }
        next_report = now + std::chrono::seconds(PROGRESS_SECONDS);
        const double calls = static_cast<double>(calls_counted.load(std::memory_order_relaxed));
        const double seconds = std::chrono::duration<double>(now - begin).count();
        std::fprintf(stderr, "cycle_whole32: %.0f s, %.3g calls of f, %.0f%% of 2 m\n", seconds,
                     calls, 100 * calls / (2 * static_cast<double>(m)));
    }
}

} // namespace

int main(int argc, char** argv) {
    std::set_new_handler([] { errx(1, "out of memory"); });
    const int bits = argc > 1 ? std::atoi(argv[1]) : 32;
    const unsigned threads = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 2;
    if (bits < 1 || bits > 32) {
        errx(1, "BITS must be 1 to 32");
    }
    const Mix mix{(uint64_t{1} << bits) - 1};
    const uint64_t m = uint64_t{1} << bits;
    auto begin = std::chrono::steady_clock::now();
    std::atomic<bool> finished{false};
    std::thread reporter(reportProgress, m, std::cref(finished), begin);
    std::vector<cycle::Loop<uint64_t>> loops = cycle::findCyclesOf(
        m,
        [&mix](uint64_t x) {
            countCall();
            return mix(x);
        },
        threads);
    finished.store(true);
    reporter.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    uint64_t longest = 0;
    uint64_t leader = 0;
    uint64_t on_cycles = 0;
    for (const cycle::Loop<uint64_t>& loop : loops) {
        on_cycles += loop.length;
        if (loop.length > longest) {
            longest = loop.length;
            leader = loop.leader;
        }
    }
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    std::printf("values: 2^%d, threads: %u\n", bits, threads);
    std::printf("cycles: %zu, longest: %llu (leader %llu), on cycles: %llu\n", loops.size(),
                static_cast<unsigned long long>(longest), static_cast<unsigned long long>(leader),
                static_cast<unsigned long long>(on_cycles));
    std::printf("time: %.1f s (%.2f ns a value), peak memory: %.2f GiB\n", seconds,
                seconds * 1e9 / static_cast<double>(m),
                static_cast<double>(usage.ru_maxrss) / (1024.0 * 1024.0));
    return 0;
}
