// The many-lists rows: the 1M-node set split into 16 to 65536 lists,
// checked with 1 to 64 in flight on one thread or two,
// many/<walk|each>/<layout>/<lists>/g<in flight>[/t2], each paired with the
// floor walk of the same lists.
#include "many/many_rows.h"
#include "common/node_sets.h"
#include "common/rounds.h"
#include "many/many_lists.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <thread>

namespace {

const int64_t LIST_COUNTS[] = {16, 1024, 65536};
const int64_t IN_FLIGHT[] = {1, 2, 4, 8, 16, 32, 64};
const int64_t TWO_THREADS_IN_FLIGHT[] = {8, 16, 32};

const int64_t MANY_NODES = 1000000;

// One call over all the lists: the check or the floor walk, split over
// threads by halves of the lists; right if every verdict matched.
double timeMany(const std::vector<Node*>& order, Layout layout, int64_t list_count,
                size_t in_flight, int threads, bool check, bool& right) {
    ManyLists lists = linkMany(order, list_count);
    if (layout.cold) {
        flushNodes(order);
    }
    std::unique_ptr<bool[]> cyclic(new bool[lists.heads.size()]);
    int64_t ends[2] = {0, 0};
    auto work = [&](int part) {
        size_t first = lists.heads.size() * part / threads;
        size_t end = lists.heads.size() * (part + 1) / threads;
        NoCounts none;
        if (check) {
            checkMany(lists, first, end, in_flight, cyclic.get(), none);
        } else {
            ends[part] = walkMany(lists, first, end, in_flight, none);
        }
    };
    Clock::time_point start = Clock::now();
    if (threads == 1) {
        work(0);
    } else {
        std::thread second(work, 1);
        work(0);
        second.join();
    }
    double ns = nanosecondsSince(start);
    if (check) {
        for (size_t i = 0; i < lists.heads.size(); i++) {
            right = right && cyclic[i] == lists.cyclic[i];
        }
    } else {
        right = right && ends[0] + ends[1] == list_count / 2;
    }
    return ns;
}

// Checks the 1M-node set split into list_count lists, in_flight at a time in
// each of threads threads (each taking its share of the lists), paired with
// the interleaved floor walk of the same lists, in flight and threads; check
// false times the walk itself. The same counters, per node of the whole set,
// with moves_per_node from a counting run of the same code.
void runMany(benchmark::State& state, Layout layout, int64_t list_count, int64_t in_flight,
             int threads, bool check) {
    const std::vector<Node*>& order = linkOrder(MANY_NODES, layout);
    size_t flight = static_cast<size_t>(in_flight);
    StepCounts counts;
    ManyLists lists = linkMany(order, list_count);
    if (check) {
        std::unique_ptr<bool[]> cyclic(new bool[lists.heads.size()]);
        checkMany(lists, 0, lists.heads.size(), flight, cyclic.get(), counts);
    } else {
        walkMany(lists, 0, lists.heads.size(), flight, counts);
    }
    sampleRounds(
        state, everyRound(static_cast<double>(MANY_NODES)),
        [&](bool& right) {
            return timeMany(order, layout, list_count, flight, threads, check, right);
        },
        [&](bool& right) {
            return timeMany(order, layout, list_count, flight, threads, false, right);
        });
    state.counters["moves_per_node"] =
        static_cast<double>(counts.moves) / static_cast<double>(MANY_NODES);
}

// The floor walk and the check for lists lists on layout, g in flight.
void registerWalkAndCheck(Layout layout, int64_t lists, int64_t in_flight, int threads) {
    for (bool check : {false, true}) {
        std::string name = std::string("many/") + (check ? "each/" : "walk/") + layout.name + "/" +
                           std::to_string(lists) + "/g" + std::to_string(in_flight) +
                           (threads == 2 ? "/t2" : "");
        registerRow(name, runMany, layout, lists, in_flight, threads, check);
    }
}

} // namespace

void registerManyRows() {
    for (const Layout& layout : COLD) {
        for (int64_t lists : LIST_COUNTS) {
            for (int64_t in_flight : IN_FLIGHT) {
                registerWalkAndCheck(layout, lists, in_flight, 1);
            }
            for (int64_t in_flight : TWO_THREADS_IN_FLIGHT) {
                registerWalkAndCheck(layout, lists, in_flight, 2);
            }
        }
    }
    for (const Layout& layout : WARM) {
        for (int64_t in_flight : IN_FLIGHT) {
            registerWalkAndCheck(layout, 1024, in_flight, 1);
        }
        for (int64_t in_flight : TWO_THREADS_IN_FLIGHT) {
            registerWalkAndCheck(layout, 1024, in_flight, 2);
        }
    }
}
