// The mapping rows: mapping/<kernel>/<shape>/<m>[/t2], each way of finding
// a whole mapping's cycles on tables of 2^10 to 2^26 elements, paired with
// the gather floor that reads every successor's entry once.
#include "mapping/mapping_rows.h"
#include "common/rounds.h"
#include "mapping/mapping_kernels.h"
#include "mapping/mapping_sets.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// The mapping rows: every shape at these sizes; the Boost graph up to the
// largest that fits in 8 GiB.
const MapShape MAP_SHAPES[] = {MAP_RANDOM, MAP_PERMUTATION, MAP_FOREST, MAP_FOREST_LOOP, MAP_CHAIN};
const uint64_t MAP_SIZES[] = {uint64_t{1} << 10, uint64_t{1} << 14, uint64_t{1} << 18,
                              uint64_t{1} << 22, uint64_t{1} << 26};
const uint64_t BGL_MOST = uint64_t{1} << 22;

// The truth of each mapping, from the textbook walk, found once.
MapFound mappingTruth(MapShape shape, uint64_t m) {
    static std::map<std::pair<int, uint64_t>, MapFound> truths;
    return rememberedTruth(truths, std::make_pair(static_cast<int>(shape), m),
                           [=](const std::pair<int, uint64_t>&) {
                               return mapTextbook().run(mapping(shape, m).data(), m, 1, nullptr);
                           });
}

// Runs kernel on the table of shape with m elements, on threads threads
// where the kernel takes them, paired round by round with the gather floor
// (one thread) on the same table. ns_per_element and floor_ns_per_element
// are per element; build_ns_per_element, where the kernel builds a structure
// first, is that part of its time; cycles and on_cycles are the mapping's,
// from the textbook walk, which every kernel's answer must match.
void runMapping(benchmark::State& state, MapKernel kernel, MapShape shape, uint64_t m,
                unsigned threads) {
    const MapFound truth = mappingTruth(shape, m);
    const std::vector<uint32_t>& next = mapping(shape, m);
    std::vector<double> build_ns;
    auto call = [&](const MapKernel& timed, bool& right, bool floor) {
        double build = 0;
        Clock::time_point begin = Clock::now();
        MapFound found = timed.run(next.data(), m, floor ? 1 : threads, &build);
        double ns = nanosecondsSince(begin);
        benchmark::DoNotOptimize(found);
        if (!floor) {
            right = right && found.cycles == truth.cycles && found.on_cycles == truth.on_cycles;
            if (build > 0) {
                build_ns.push_back(build / static_cast<double>(m));
            }
        }
        return ns;
    };
    sampleRounds(
        state, everyRound(static_cast<double>(m)),
        [&](bool& right) { return call(kernel, right, false); },
        [&](bool& right) { return call(mapFloor(), right, true); }, "ns_per_element");
    if (!build_ns.empty()) {
        state.counters["build_ns_per_element"] = medianInterval(build_ns).median;
    }
    state.counters["cycles"] = static_cast<double>(truth.cycles);
    state.counters["on_cycles"] = static_cast<double>(truth.on_cycles);
}

} // namespace

// The mapping rows: mapping/<kernel>/<shape>/<m>, and /t2 on two threads
// for the kernels that take them.
void registerMappingRows() {
    for (uint64_t m : MAP_SIZES) {
        for (MapShape shape : MAP_SHAPES) {
            auto add = [&](const MapKernel& kernel, unsigned threads) {
                std::string name = std::string("mapping/") + kernel.name + "/" +
                                   mapShapeName(shape) + "/" + std::to_string(m) +
                                   (threads == 2 ? "/t2" : "");
                registerRow(name, runMapping, kernel, shape, m, threads);
            };
            for (size_t i = 1; i < MAP_KERNEL_COUNT; i++) {
                add(MAP_KERNELS[i], 1);
                if (MAP_KERNELS[i].takes_threads) {
                    add(MAP_KERNELS[i], 2);
                }
            }
            if (mapBgl() != nullptr && m <= BGL_MOST) {
                add(*mapBgl(), 1);
            }
        }
    }
}
