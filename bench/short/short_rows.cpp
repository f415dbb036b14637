// The short-list rows: short/<kernel>/<layout>/<shape>/<n>, lists of 1 to
// 512 nodes checked one after another, each kernel paired with the traverse
// floor and, on linear shapes, with a walk to nullptr.
#include "short/short_rows.h"
#include "common/node_sets.h"
#include "common/rounds.h"
#include "lists/list_kernels.h"
#include "short/short_kernels.h"
#include "short/short_lists.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

const int64_t SHORT_SIZES[] = {1, 2, 4, 8, 16, 32, 64, 128, 256, 512};
const ShortShape SHORT_SHAPES[] = {SHORT_LINEAR, SHORT_HEAD, SHORT_RANDOM, SHORT_MIXED,
                                   SHORT_MIXED_HEAD};

// Runs kernel over the short lists of n nodes in layout's order and shape,
// paired round by round with the traverse floor over the same lists and, on
// linear shapes, with the walk to nullptr too (the fastest of the walks of
// SHORT_WALK_FLOORS in each round); a kernel that checks its lists in flight
// is paired with the traverse in flight alone, the one floor that overlaps
// its lists as it does. The lists stay warm between
// calls. Counters as runKernel's, but the time is per list: ns_per_list and
// floor_ns_per_list, and walk_ratio (with _lo, _hi) and walk_ns_per_list on
// linear shapes; moves_per_node is per node.
void runShort(benchmark::State& state, ShortKernel kernel, Layout layout, ShortShape shape,
              int64_t n) {
    ShortLists lists = linkShort(layout, shape, n);
    StepCounts counts;
    if (kernel.count(lists, counts) != lists.cyclic) {
        state.SkipWithError("wrong verdict in the counting run");
        return;
    }
    auto call = [&lists](int64_t (*check)(ShortLists&, NoCounts&), bool& right) {
        NoCounts none;
        Clock::time_point start = Clock::now();
        int64_t cyclic = check(lists, none);
        double ns = nanosecondsSince(start);
        right = right && cyclic == lists.cyclic;
        return ns;
    };
    const double list_count = static_cast<double>(lists.heads.size());
    int64_t nodes = 0;
    for (int64_t length : lists.lengths) {
        nodes += length;
    }
    const SecondFloor walk_floor{"walk", [&](bool& right) {
                                     double fastest = call(SHORT_WALK_FLOORS[0], right);
                                     for (size_t i = 1; i < SHORT_WALK_FLOOR_COUNT; i++) {
                                         fastest =
                                             std::min(fastest, call(SHORT_WALK_FLOORS[i], right));
                                     }
                                     return fastest;
                                 }};
    sampleRounds(
        state, everyRound(list_count), [&](bool& right) { return call(kernel.check, right); },
        [&](bool& right) {
            return call(kernel.in_flight ? shortTraverseInFlight<NoCounts>
                                         : shortTraverse<NoCounts>,
                        right);
        },
        "ns_per_list", shortShapeLinear(shape) && !kernel.in_flight ? &walk_floor : nullptr);
    state.counters["moves_per_node"] =
        static_cast<double>(counts.moves) / static_cast<double>(nodes);
}

} // namespace

// The short-list rows: short/<kernel>/<layout>/<shape>/<n>.
void registerShortRows() {
    for (const Layout& layout : WARM) {
        for (ShortShape shape : SHORT_SHAPES) {
            for (int64_t n : SHORT_SIZES) {
                for (size_t i = 0; i < SHORT_KERNEL_COUNT; i++) {
                    if (SHORT_KERNELS[i].linear_only && !shortShapeLinear(shape)) {
                        continue;
                    }
                    std::string name = std::string("short/") + SHORT_KERNELS[i].name + "/" +
                                       layout.name + "/" + shortShapeName(shape) + "/" +
                                       std::to_string(n);
                    registerRow(name, runShort, SHORT_KERNELS[i], layout, shape, n);
                }
            }
        }
    }
}
