// The collision rows: collision/<kernel>/<function>/<bits>, each way of
// finding a != b with f(a) == f(b), paired round by round with the floor
// that calls f in a dependent loop as many times as the search did.
#include "collision/collision_rows.h"
#include "collision/collision_kernels.h"
#include "common/heap_peak.h"
#include "common/rounds.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const unsigned COLLISION_BITS[] = {32, 40, 48};
const CollisionFunctionKind COLLISION_FUNCTIONS[] = {COLLISION_MIX, COLLISION_SHA256};

// Seeds a row's means are taken over, and its rounds turn through: at 48
// bits one search of sha256 takes seconds, so fewer.
size_t seedsAt(unsigned bits) {
    return bits <= 40 ? 24 : 6;
}

// Runs kernel on the function of kind over bits bits. A counting pass first
// runs each seed once, untimed: its calls (the floor's count for that
// seed), points and the heap it took. Then each round takes the next seed
// and times the kernel and the floor of that seed's calls. A threaded
// search's calls vary from run to run, so its time is scaled to the
// counted calls: ns_per_call is always the round's time over the calls it
// made. calls_mean is over the seeds, and calls_ratio is calls_mean over
// sqrt(pi N / 2); heap_kib is the most the heap grew in any seed's search,
// and bytes_per_point that over the seed's points. A result that is no
// collision, or a repeatable kernel's that differs from its counted one,
// fails the row.
void runCollision(benchmark::State& state, CollisionKernel kernel, CollisionFunctionKind kind,
                  unsigned bits) {
    const size_t seeds = seedsAt(bits);
    std::vector<CollisionFound> counted;
    double calls_sum = 0;
    double points_sum = 0;
    double heap_most = 0;
    double bytes_per_point = 0;
    for (size_t s = 0; s < seeds; s++) {
        const int64_t before = heapPeakReset();
        CollisionFound found = kernel.run(kind, bits, s + 1);
        const double heap = static_cast<double>(heapPeak() - before);
        if (!isCollision(kind, bits, found)) {
            state.SkipWithError("no collision in the counting pass");
            return;
        }
        counted.push_back(found);
        calls_sum += static_cast<double>(found.calls);
        points_sum += static_cast<double>(found.points);
        heap_most = std::max(heap_most, heap);
        if (found.points > 0) {
            bytes_per_point = std::max(bytes_per_point, heap / static_cast<double>(found.points));
        }
    }
    size_t seed = 0;
    auto calls_of = [&](size_t round) {
        seed = round % seeds;
        return static_cast<double>(counted[seed].calls);
    };
    // A search's time, scaled to the seed's counted calls: the round's
    // nodes are those, and its per-call figures are then the search's own.
    auto timed = [&](const CollisionKernel& which, bool& right, bool scaled) {
        Clock::time_point begin = Clock::now();
        CollisionFound found = which.run(kind, bits, seed + 1);
        const double ns = nanosecondsSince(begin);
        const CollisionFound& before = counted[seed];
        right = right && isCollision(kind, bits, found) &&
                (which.run != kernel.run || !kernel.repeatable ||
                 (found.a == before.a && found.b == before.b && found.calls == before.calls));
        return !scaled || found.calls == 0
                   ? ns
                   : ns * static_cast<double>(before.calls) / static_cast<double>(found.calls);
    };
    auto search = [&](bool& right) { return timed(kernel, right, true); };
    auto floor = [&](bool&) {
        Clock::time_point begin = Clock::now();
        uint64_t last = collisionFloor(kind, bits, seed + 1, counted[seed].calls);
        const double ns = nanosecondsSince(begin);
        benchmark::DoNotOptimize(last);
        return ns;
    };
    // The library's rows take a second pair: on two threads, the same
    // search on one (one_thread_ratio, per call); on one, up to 40 bits,
    // the table's whole search of the same seed (table_ratio, per search).
    SecondFloor second{nullptr, nullptr};
    if (kernel.run == COLLISION_KERNELS[COLLISION_LIBRARY_T2].run) {
        second = {"one_thread", [&](bool& right) {
                      return timed(COLLISION_KERNELS[COLLISION_LIBRARY], right, true);
                  }};
    } else if (kernel.run == COLLISION_KERNELS[COLLISION_LIBRARY].run &&
               bits <= COLLISION_KERNELS[COLLISION_TABLE].largest_bits) {
        second = {"table", [&](bool& right) {
                      return timed(COLLISION_KERNELS[COLLISION_TABLE], right, false);
                  }};
    }
    sampleRounds(state, calls_of, search, floor, "ns_per_call",
                 second.name != nullptr ? &second : nullptr);
    const double n = static_cast<double>(seeds);
    state.counters["seeds"] = n;
    state.counters["calls_mean"] = calls_sum / n;
    state.counters["calls_ratio"] = calls_sum / n / birthdayCalls(bits);
    state.counters["points_mean"] = points_sum / n;
    if (heapCounted()) {
        state.counters["heap_kib"] = heap_most / 1024;
        state.counters["bytes_per_point"] = bytes_per_point;
    }
}

} // namespace

// The collision rows: collision/<kernel>/<function>/<bits> for every kernel
// up to its largest bits, and every function built.
void registerCollisionRows() {
    for (unsigned bits : COLLISION_BITS) {
        for (CollisionFunctionKind kind : COLLISION_FUNCTIONS) {
            if (!collisionFunctionBuilt(kind)) {
                continue;
            }
            for (size_t i = 0; i < COLLISION_KERNEL_COUNT; i++) {
                const CollisionKernel& kernel = COLLISION_KERNELS[i];
                if (bits > kernel.largest_bits) {
                    continue;
                }
                registerRow(std::string("collision/") + kernel.name + "/" +
                                collisionFunctionName(kind) + "/" + std::to_string(bits),
                            runCollision, kernel, kind, bits);
            }
        }
    }
}
