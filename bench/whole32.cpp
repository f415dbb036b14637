// The one-off figure of the report: every cycle of a 32-bit function over
// all 2^32 values, found by cycle::findCyclesOf on two threads. The function
// is a 64-bit mixer kept to 32 bits. Prints the number of cycles, the
// longest, the elements on cycles, the time and the peak memory.
//
// Usage: cycle_whole32 [BITS [THREADS]] (default 32 and 2; fewer bits for a
// quick try).
#include "period_kernels.h"

#include "cycle/detect.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <err.h>
#include <new>
#include <sys/resource.h>
#include <vector>

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
    std::vector<cycle::Loop<uint64_t>> loops = cycle::findCyclesOf(
        m, [&mix](uint64_t x) { return mix(x); }, threads);
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
