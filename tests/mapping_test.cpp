// findCycles, findCyclesOf and traceAll against the textbook walk with a
// stack, over the index types, every way of marking a root, small and
// threaded sizes, and 1 to 4 threads.
#include "cycle/detect.h"

#include "heap_count.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>
#include <mutex>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// The truth for one mapping: every element's end and distance, and every
// cycle as (leader, length) by leader.
struct Truth {
    std::vector<uint64_t> end;
    std::vector<uint64_t> distance;
    std::vector<std::pair<uint64_t, uint64_t>> loops;
    uint64_t roots = 0;
    uint64_t on_cycles = 0;
};

// One start at a time: walk until a known element, a root or the walk's own
// path; then fill the path back to front.
template <typename Index> Truth textbook(const std::vector<Index>& next) {
    const uint64_t m = next.size();
    auto successor = [&](uint64_t x) {
        const Index value = next[x];
        if (value < Index{0} || static_cast<uint64_t>(value) >= m) {
            return m;
        }
        return static_cast<uint64_t>(value);
    };
    Truth truth;
    truth.end.assign(m, 0);
    truth.distance.assign(m, 0);
    std::vector<int> state(m, 0); // 0 unseen, 1 on the path, 2 known
    std::vector<uint64_t> path;
    for (uint64_t start = 0; start < m; start++) {
        path.clear();
        uint64_t x = start;
        while (x != m && state[x] == 0) {
            state[x] = 1;
            path.push_back(x);
            x = successor(x);
        }
        size_t tree = path.size();
        if (x != m && state[x] == 1) {
            tree = static_cast<size_t>(std::find(path.begin(), path.end(), x) - path.begin());
            const uint64_t leader = *std::min_element(path.begin() + tree, path.end());
            for (size_t i = tree; i < path.size(); i++) {
                truth.end[path[i]] = leader;
                state[path[i]] = 2;
            }
            truth.loops.emplace_back(leader, path.size() - tree);
            truth.on_cycles += path.size() - tree;
        }
        for (size_t i = tree; i-- > 0;) {
            const uint64_t y = successor(path[i]);
            if (y == m) {
                truth.end[path[i]] = path[i];
                truth.roots++;
            } else {
                truth.end[path[i]] = truth.end[y];
                truth.distance[path[i]] = truth.distance[y] + 1;
            }
            state[path[i]] = 2;
        }
    }
    std::sort(truth.loops.begin(), truth.loops.end());
    return truth;
}

enum Shape { RANDOM, PERMUTATION, FOREST, FOREST_LOOP, CHAIN, SELF_LOOPS, MIXED };

// A mapping of shape on m elements; roots are written as root(i), so that
// every way of ending a path can be tried.
template <typename Index, typename Root>
std::vector<Index> makeMapping(Shape shape, uint64_t m, std::mt19937_64& random, Root root) {
    std::vector<Index> next(m);
    std::vector<uint64_t> order(m);
    std::iota(order.begin(), order.end(), uint64_t{0});
    std::shuffle(order.begin(), order.end(), random);
    auto any = [&]() { return static_cast<Index>(random() % m); };
    for (uint64_t i = 0; i < m; i++) {
        const uint64_t x = order[i];
        switch (shape) {
        case RANDOM:
            next[x] = any();
            break;
        case PERMUTATION:
            next[x] = static_cast<Index>(order[(i + 1) % m]);
            break;
        case FOREST:
        case FOREST_LOOP:
            next[x] = i == 0 ? root(x) : static_cast<Index>(order[random() % i]);
            break;
        case CHAIN:
            next[x] = i + 1 < m ? static_cast<Index>(order[i + 1]) : root(x);
            break;
        case SELF_LOOPS:
            next[x] = random() % 3 == 0 ? static_cast<Index>(x) : any();
            break;
        case MIXED:
            next[x] = random() % 8 == 0 ? root(x) : any();
            break;
        }
    }
    if (shape == PERMUTATION && m > 0) {
        // Many cycles, not one: a random permutation.
        std::vector<Index> values(m);
        std::iota(values.begin(), values.end(), Index{0});
        std::shuffle(values.begin(), values.end(), random);
        next = values;
    }
    if (shape == FOREST_LOOP && m > 0) {
        next[order[0]] = static_cast<Index>(order[random() % m]);
    }
    return next;
}

// Checks all three functions on next against the truth, with threads.
template <typename Index> void checkMapping(const std::vector<Index>& next, unsigned threads) {
    const Truth truth = textbook(next);
    const uint64_t m = next.size();
    SCOPED_TRACE("m = " + std::to_string(m) + ", threads = " + std::to_string(threads));

    std::vector<cycle::Loop<Index>> loops = cycle::findCycles(next.data(), m, threads);
    ASSERT_EQ(loops.size(), truth.loops.size());
    for (size_t i = 0; i < loops.size(); i++) {
        ASSERT_EQ(static_cast<uint64_t>(loops[i].leader), truth.loops[i].first);
        ASSERT_EQ(loops[i].length, truth.loops[i].second);
    }
    uint64_t calls = 0;
    auto f = [&next, &calls](Index i) {
        __atomic_fetch_add(&calls, uint64_t{1}, __ATOMIC_RELAXED);
        return next[static_cast<size_t>(i)];
    };
    std::vector<cycle::Loop<Index>> of = cycle::findCyclesOf(static_cast<Index>(m), f, threads);
    ASSERT_EQ(of.size(), loops.size());
    for (size_t i = 0; i < of.size(); i++) {
        ASSERT_EQ(of[i].leader, loops[i].leader);
        ASSERT_EQ(of[i].length, loops[i].length);
    }
    // A path that grows past LONG_PATH in the walk one start at a time is
    // walked again by the walks in flight.
    EXPECT_LE(calls, (threads > 1 ? 4 : 2) * m + cycle::detail::LONG_PATH);
    if (threads > 1) {
        // The walks in flight on threads, whatever size findCycles would
        // walk one start at a time.
        std::vector<uint8_t> colours(m, cycle::detail::UNSEEN);
        std::vector<cycle::Loop<Index>> flight;
        cycle::detail::TableMap<Index> map{next.data(), m};
        cycle::detail::colourInFlight<Index>(map, colours.data(), m, threads, flight);
        cycle::detail::byLeader(flight);
        ASSERT_EQ(flight.size(), loops.size());
        for (size_t i = 0; i < flight.size(); i++) {
            ASSERT_EQ(flight[i].leader, loops[i].leader);
            ASSERT_EQ(flight[i].length, loops[i].length);
        }
    }

    // Outputs that hold no answer beforehand: every element must be written.
    std::vector<Index> end(m, std::numeric_limits<Index>::max());
    std::vector<Index> distance(m, std::numeric_limits<Index>::max());
    cycle::MapSummary summary =
        cycle::traceAll(next.data(), m, end.data(), distance.data(), threads);
    uint64_t longest = 0;
    for (uint64_t i = 0; i < m; i++) {
        ASSERT_EQ(static_cast<uint64_t>(end[i]), truth.end[i]) << "element " << i;
        ASSERT_EQ(static_cast<uint64_t>(distance[i]), truth.distance[i]) << "element " << i;
        longest = std::max(longest, truth.distance[i]);
    }
    EXPECT_EQ(summary.cycles, truth.loops.size());
    EXPECT_EQ(summary.on_cycles, truth.on_cycles);
    EXPECT_EQ(summary.roots, truth.roots);
    EXPECT_EQ(summary.longest, longest);
    cycle::MapSummary alone = cycle::traceAll<Index>(next.data(), m, nullptr, nullptr, threads);
    EXPECT_EQ(alone.cycles, summary.cycles);
    EXPECT_EQ(alone.roots, summary.roots);
    EXPECT_EQ(alone.longest, summary.longest);
    std::vector<Index> only_end(m);
    cycle::traceAll<Index>(next.data(), m, only_end.data(), nullptr, threads);
    EXPECT_EQ(only_end, end);
}

template <typename Index> class Mappings : public testing::Test {};
using IndexTypes = testing::Types<uint32_t, int32_t, int64_t>;
TYPED_TEST_SUITE(Mappings, IndexTypes);

// Every shape, small and past the size that is split among threads (each
// thread takes at least 2^17 elements), each root marked as -1 or the
// type's lowest value (signed), m or the type's highest value, with 1 to 4
// threads.
TYPED_TEST(Mappings, MatchTheTextbookWalk) {
    using Index = TypeParam;
    std::mt19937_64 random(7);
    const Index highest = std::numeric_limits<Index>::max();
    const Index lowest =
        std::numeric_limits<Index>::is_signed ? std::numeric_limits<Index>::min() : highest;
    for (uint64_t m :
         {uint64_t{1}, uint64_t{2}, uint64_t{5}, uint64_t{100}, uint64_t{3000}, uint64_t{300000}}) {
        for (Shape shape : {RANDOM, PERMUTATION, FOREST, FOREST_LOOP, CHAIN, SELF_LOOPS, MIXED}) {
            for (int way = 0; way < 4; way++) {
                auto root = [&](uint64_t) -> Index {
                    switch (way) {
                    case 0:
                        return static_cast<Index>(m);
                    case 1:
                        return std::numeric_limits<Index>::is_signed ? Index(-1) : highest;
                    case 2:
                        return lowest;
                    default:
                        return static_cast<Index>(m + random() % 1000);
                    }
                };
                std::vector<Index> next = makeMapping<Index>(shape, m, random, root);
                SCOPED_TRACE("shape " + std::to_string(shape) + ", root " + std::to_string(way));
                for (unsigned threads = 1; threads <= 4; threads++) {
                    if ((m < 300000 && threads > 1) || (m == 300000 && (way > 0 || threads == 3))) {
                        continue;
                    }
                    checkMapping(next, threads);
                }
            }
        }
    }
}

// Small mappings are walked one start at a time and larger ones with walks
// in flight or in passes, the switches set by the bytes of the mapping's
// arrays: both functions agree with the truth on both sides of each switch,
// for each index type's own sizes. The chains and permutations past the
// hand-off sizes also give up a long path: findCycles to the walks in
// flight, traceAll to its passes from scratch.
TYPED_TEST(Mappings, AgreeOnBothSidesOfTheSwitchToWalksInFlight) {
    using Index = TypeParam;
    std::mt19937_64 random(11);
    const uint64_t colour_most = cycle::detail::COLOUR_ONE_AT_A_TIME_BYTES / (sizeof(Index) + 1);
    const uint64_t colour_kept = cycle::detail::HAND_OFF_BYTES / (sizeof(Index) + 1);
    const uint64_t trace_most = cycle::detail::TRACE_ONE_AT_A_TIME_BYTES / (4 * sizeof(Index));
    const uint64_t trace_kept = cycle::detail::TRACE_HAND_OFF_BYTES / (4 * sizeof(Index));
    ASSERT_TRUE(cycle::detail::colourOneAtATime<Index>(colour_most));
    ASSERT_FALSE(cycle::detail::colourOneAtATime<Index>(colour_most + 1));
    ASSERT_TRUE(cycle::detail::traceOneAtATime<Index>(trace_most));
    ASSERT_FALSE(cycle::detail::traceOneAtATime<Index>(trace_most + 1));
    ASSERT_LT(trace_kept, trace_most);
    for (uint64_t m : {colour_kept, colour_kept + 1, trace_kept, trace_kept + 1, trace_most,
                       trace_most + 1, colour_most, colour_most + 1}) {
        for (Shape shape : {RANDOM, PERMUTATION, CHAIN, MIXED}) {
            if (m > trace_most + 1 && (shape == PERMUTATION || shape == MIXED)) {
                continue;
            }
            SCOPED_TRACE("m " + std::to_string(m) + ", shape " + std::to_string(shape));
            std::vector<Index> next = makeMapping<Index>(
                shape, m, random, [m](uint64_t) { return static_cast<Index>(m); });
            checkMapping(next, 1);
        }
    }
}

// Long paths one start at a time: within the L1 a path past the walk's
// buffer is marked done by a second walk and its cycle gone round; past
// it, findCycles hands a long path to the walks in flight, late or early.
// traceAll walks it on its stack, or past its own hand-off size (200,000
// elements) runs its passes over outputs it has half written. A chain
// ending in a cycle, through the last elements behind self-loops and short
// trees, takes each turn.
TEST(Mappings, WalkLongPathsLateAndEarly) {
    for (uint64_t m : {uint64_t{3000}, uint64_t{6000}, uint64_t{60000}, uint64_t{200000}}) {
        for (uint64_t chained : {m / 20, m / 2, m}) {
            std::vector<uint32_t> next(m);
            for (uint64_t i = 0; i < m - chained; i++) {
                next[i] = static_cast<uint32_t>(i % 3 == 0 ? i : i - 1);
            }
            for (uint64_t i = m - chained; i < m; i++) {
                next[i] = static_cast<uint32_t>(i + 1 < m ? i + 1 : m - chained + chained / 2);
            }
            SCOPED_TRACE("m " + std::to_string(m) + ", chained " + std::to_string(chained));
            checkMapping(next, 1);
        }
    }
}

// Below the hand-off size each long path takes a colour of its own, done
// once its walk ends; a mapping with more long paths than there are colours
// runs them out, and one pass turns them all to DONE. 300 chains of 1,100
// elements, in turn ending at a root, closing on their first element, or
// running into the previous chain (past the 252 colours, into the chain that
// had the same colour), walked one start at a time as below the hand-off,
// agree with the truth.
TEST(Mappings, ManyLongPathsRunTheColoursOut) {
    const uint64_t COLOURS = 252;
    const uint64_t chains = 300;
    const uint64_t length = cycle::detail::LONG_PATH + 76;
    const uint64_t m = chains * length;
    std::vector<uint32_t> next(m);
    for (uint64_t c = 0; c < chains; c++) {
        const uint64_t first = c * length;
        for (uint64_t i = first; i + 1 < first + length; i++) {
            next[i] = static_cast<uint32_t>(i + 1);
        }
        // Past the colours, a chain runs into the one that had its colour.
        const uint64_t into = c >= COLOURS ? first - COLOURS * length : first - 7;
        next[first + length - 1] = static_cast<uint32_t>(c % 3 == 0   ? m
                                                         : c % 3 == 1 ? first
                                                                      : into);
    }
    const Truth truth = textbook(next);
    std::vector<uint8_t> colours(m, cycle::detail::UNSEEN);
    std::vector<cycle::Loop<uint32_t>> loops;
    cycle::detail::LoopSink<uint32_t> sink{loops, nullptr, {}, 0};
    cycle::detail::TableMap<uint32_t> map{next.data(), m};
    ASSERT_EQ(cycle::detail::colourEachStart(map, colours.data(), m, sink, false), m);
    cycle::detail::byLeader(loops);
    ASSERT_EQ(loops.size(), truth.loops.size());
    for (size_t i = 0; i < loops.size(); i++) {
        EXPECT_EQ(loops[i].leader, truth.loops[i].first);
        EXPECT_EQ(loops[i].length, truth.loops[i].second);
    }
}

// Past two blocks of 2^20 elements the work splits over threads: every
// shape agrees with the truth on two and three threads, whether a thread's
// walks keep meeting the other's (random, permutation, chain: its walks are
// then left to the single-threaded round) or stay apart (forest).
TEST(Mappings, ThreadsAgreeWithTheTruthPastTwoBlocks) {
    std::mt19937_64 random(13);
    const uint64_t m = (uint64_t{1} << 21) + 17;
    for (Shape shape : {RANDOM, PERMUTATION, FOREST, CHAIN}) {
        SCOPED_TRACE("shape " + std::to_string(shape));
        std::vector<uint32_t> next = makeMapping<uint32_t>(
            shape, m, random, [m](uint64_t) { return static_cast<uint32_t>(m); });
        checkMapping(next, shape == FOREST ? 3 : 2);
    }
}

TEST(Mappings, TakeAnEmptyMapping) {
    std::vector<int32_t> none;
    EXPECT_TRUE(cycle::findCycles(none.data(), 0).empty());
    EXPECT_TRUE(cycle::findCyclesOf(int32_t{0}, [](int32_t) { return int32_t{0}; }).empty());
    EXPECT_TRUE(cycle::findCyclesOf(int32_t{-3}, [](int32_t) { return int32_t{0}; }).empty());
    cycle::MapSummary summary = cycle::traceAll(none.data(), 0, none.data(), none.data(), 0);
    EXPECT_EQ(summary.cycles + summary.on_cycles + summary.roots + summary.longest, 0u);
}

// Walks of two threads meet on one long cycle, where the colouring defers
// to its single-threaded round: past the size walked one start at a time.
TEST(Mappings, ThreadsMeetingOnOneLongCycle) {
    for (uint64_t m : {(uint64_t{1} << 21) + 1, (uint64_t{1} << 21) + 2}) {
        std::vector<uint32_t> ring(m);
        for (uint64_t i = 0; i < m; i++) {
            ring[i] = static_cast<uint32_t>((i + 7919) % m);
        }
        for (unsigned threads : {1u, 2u, 3u}) {
            std::vector<cycle::Loop<uint32_t>> loops = cycle::findCycles(ring.data(), m, threads);
            // 7919 is prime, so i -> i + 7919 visits every element once.
            ASSERT_EQ(loops.size(), 1u);
            EXPECT_EQ(loops[0].leader, 0u);
            EXPECT_EQ(loops[0].length, m);
            std::vector<uint32_t> end(m);
            cycle::MapSummary summary =
                cycle::traceAll(ring.data(), m, end.data(), nullptr, threads);
            EXPECT_EQ(summary.on_cycles, m);
            EXPECT_EQ(end[m - 1], 0u);
        }
    }
}

// Self-loops, each element its own cycle: the most cycles a mapping has.
std::vector<int32_t> selfLoops(uint64_t m) {
    std::vector<int32_t> next(m);
    std::iota(next.begin(), next.end(), int32_t{0});
    return next;
}

// findCyclesOf's f, noting every thread that calls it.
struct CallingThreads {
    const std::vector<int32_t>& next;
    std::mutex lock;
    std::set<std::thread::id> ids;

    int32_t operator()(int32_t i) {
        std::lock_guard<std::mutex> guard(lock);
        ids.insert(std::this_thread::get_id());
        return next[static_cast<size_t>(i)];
    }
};

// Any thread count works, and every thread started has a block of 2^20
// starts to colour: one thread below 2^21 elements and where the mapping is
// walked one start at a time, and never more than one a block (nor, with
// 7 blocks and more, more than 7: a byte names 253 walks, and each thread
// keeps 32 in flight).
TEST(Mappings, StartOnlyThreadsThatHaveABlockToColour) {
    struct Case {
        uint64_t m;
        unsigned asked;
        size_t used;
    };
    for (Case c : {Case{uint64_t{1} << 18, 2, 1}, Case{(uint64_t{1} << 21) - 1, 2, 1},
                   Case{(uint64_t{1} << 22) + 3, 2, 2}, Case{(uint64_t{1} << 22) + 3, 3, 3},
                   Case{(uint64_t{1} << 22) + 3, 254, 4},
                   Case{(uint64_t{1} << 22) + 3, std::numeric_limits<unsigned>::max(), 4}}) {
        SCOPED_TRACE("m = " + std::to_string(c.m) + ", threads = " + std::to_string(c.asked));
        const std::vector<int32_t> next = selfLoops(c.m);
        CallingThreads f{next, {}, {}};
        auto call = [&f](int32_t i) { return f(i); };
        std::vector<cycle::Loop<int32_t>> loops =
            cycle::findCyclesOf(static_cast<int32_t>(c.m), call, c.asked);
        EXPECT_EQ(f.ids.size(), c.used);
        ASSERT_EQ(loops.size(), c.m);
        EXPECT_EQ(loops.back().leader, static_cast<int32_t>(c.m - 1));
        EXPECT_EQ(loops.back().length, 1u);
    }
}

// findCycles' memory beside its result, whatever the number of cycles: one
// byte an element and a few KiB a thread. The result itself may hold up to
// one and a half times its capacity while it grows.
TEST(Mappings, FindCyclesNeedsAByteAnElementBesideItsResult) {
    if (!heapCounted()) {
        GTEST_SKIP() << "the heap is the sanitizer's here";
    }
    const uint64_t m = uint64_t{1} << 20;
    const std::vector<int32_t> next = selfLoops(m);
    for (unsigned threads : {1u, 4u}) {
        const int64_t before = heapHeld();
        resetHeapPeak();
        std::vector<cycle::Loop<int32_t>> loops = cycle::findCycles(next.data(), m, threads);
        const int64_t extra = heapPeak() - before;
        ASSERT_EQ(loops.size(), m);
        const int64_t result = static_cast<int64_t>(loops.capacity() * sizeof(loops[0]));
        EXPECT_LE(extra, static_cast<int64_t>(m) + result * 3 / 2 + 64 * 1024)
            << "threads = " << threads << ", result " << result << " bytes";
    }
}

} // namespace

namespace {

// The index type must count what traceAll counts and name what findCycles
// names; a mapping larger than that is refused, not overrun, and one at the
// edge is answered exactly.
template <typename Index> void checkIndexEdge() {
    const uint64_t most = static_cast<uint64_t>(std::numeric_limits<Index>::max());
    std::mt19937_64 random(most);
    for (Shape shape : {RANDOM, CHAIN, FOREST_LOOP, PERMUTATION}) {
        std::vector<Index> at_edge = makeMapping<Index>(
            shape, most, random, [](uint64_t) { return std::numeric_limits<Index>::max(); });
        checkMapping(at_edge, 1);
    }
    std::vector<Index> over(most + 45, Index{0});
    std::vector<Index> end(over.size());
    std::vector<Index> distance(over.size());
    EXPECT_THROW(cycle::traceAll(over.data(), most + 1, end.data(), distance.data()),
                 std::invalid_argument);
    EXPECT_THROW(cycle::traceAll(over.data(), over.size(), end.data(), distance.data()),
                 std::invalid_argument);
    // findCycles names leaders only: every element up to the largest value.
    EXPECT_EQ(cycle::findCycles(over.data(), most + 1).size(), 1u);
    EXPECT_THROW(cycle::findCycles(over.data(), most + 2), std::invalid_argument);
}

TEST(Mappings, RefuseMoreElementsThanTheIndexCounts) {
    checkIndexEdge<uint8_t>();
    checkIndexEdge<int8_t>();
    checkIndexEdge<int16_t>();
    try {
        std::vector<uint8_t> next(300, 1);
        cycle::traceAll<uint8_t>(next.data(), next.size(), nullptr, nullptr);
        FAIL() << "300 elements of uint8_t were taken";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find("cycle::traceAll: 300 elements"),
                  std::string::npos)
            << error.what();
    }
}

// f's result is judged as f gives it: one outside [0, m) ends the path, even
// where narrowing it to the Index would land inside.
TEST(Mappings, FindCyclesOfJudgesEachResultInItsOwnType) {
    EXPECT_TRUE(cycle::findCyclesOf(100, [](int x) { return x + (int64_t{1} << 32); }).empty());
    EXPECT_TRUE(cycle::findCyclesOf(uint8_t{200}, [](uint8_t x) { return x + 256; }).empty());
    EXPECT_TRUE(cycle::findCyclesOf(int16_t{50}, [](int16_t x) {
                    return static_cast<uint64_t>(x) - (uint64_t{1} << 63);
                }).empty());
    // Results that do lie inside [0, m), in a wider type, are followed.
    std::vector<cycle::Loop<int>> loops =
        cycle::findCyclesOf(10, [](int x) { return int64_t{(x + 1) % 5}; });
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_EQ(loops[0].leader, 0);
    EXPECT_EQ(loops[0].length, 5u);
}

// A table that counts every read of every entry; a prefetch of an entry is
// no read.
template <typename Index> struct CountedTable {
    const Index* next;
    std::atomic<uint32_t>* reads;
    Index operator[](uint64_t i) const {
        reads[i].fetch_add(1, std::memory_order_relaxed);
        return next[i];
    }
};
template <typename Index> void prefetchEntry(const CountedTable<Index>&, uint64_t) {}

// traceAll's reads of next, entry by entry, through the same walk traceAll
// runs; returns the most reads of an entry off a cycle and on one.
template <typename Index>
std::pair<uint32_t, uint32_t> mostReads(const std::vector<Index>& next, unsigned threads) {
    const uint64_t m = next.size();
    std::vector<std::atomic<uint32_t>> reads(m);
    std::vector<Index> end(m);
    std::vector<Index> distance(m);
    std::vector<Index> queue(m);
    CountedTable<Index> table{next.data(), reads.data()};
    cycle::detail::traceTable(table, m, end.data(), distance.data(), queue.data(),
                              cycle::detail::threadsFor(threads, m, 1 << 20));
    const Truth truth = textbook(next);
    EXPECT_EQ(std::vector<uint64_t>(end.begin(), end.end()), truth.end);
    EXPECT_EQ(std::vector<uint64_t>(distance.begin(), distance.end()), truth.distance);
    uint32_t off = 0;
    uint32_t on = 0;
    for (uint64_t i = 0; i < m; i++) {
        const bool cyclic = truth.distance[i] == 0 && truth.end[i] != i;
        uint32_t& most = cyclic ? on : off;
        most = std::max(most, reads[i].load());
    }
    return {off, on};
}

// Short trees over the first elements, then a chain longer than a path the
// walk one start at a time keeps, ending in a cycle: the walk gives up late.
std::vector<uint32_t> treesThenLongChain(uint64_t m, std::mt19937_64& random) {
    std::vector<uint32_t> next(m);
    const uint64_t trees = m - 5000;
    for (uint64_t x = 0; x < trees; x++) {
        next[x] = x % 64 == 0 ? static_cast<uint32_t>(m)
                              : static_cast<uint32_t>(x - 1 - random() % (x % 64));
    }
    for (uint64_t x = trees; x < m; x++) {
        next[x] = static_cast<uint32_t>(x + 1 < m ? x + 1 : m - 100);
    }
    return next;
}

TEST(Mappings, TraceAllReadsEachEntryAsOftenAsItsContractSays) {
    std::mt19937_64 random(43);
    auto root = [](uint64_t) { return std::numeric_limits<uint32_t>::max(); };
    // Up to 2 MiB of arrays (16 bytes an element of uint32_t), once; past
    // 4 MiB, 3 times off a cycle and twice on one; between, the walk's one
    // read before it hands over, and the passes' reads.
    struct Size {
        uint64_t m;
        uint32_t off;
        uint32_t on;
    };
    for (const Size& size :
         {Size{(uint64_t{2} << 20) / 16, 1, 1}, Size{(uint64_t{3} << 20) / 16, 4, 3},
          Size{(uint64_t{4} << 20) / 16 + 1, 3, 2}}) {
        for (Shape shape : {RANDOM, PERMUTATION, FOREST, FOREST_LOOP, CHAIN, MIXED}) {
            SCOPED_TRACE("m " + std::to_string(size.m) + ", shape " + std::to_string(shape));
            const auto [off, on] = mostReads(makeMapping<uint32_t>(shape, size.m, random, root), 1);
            EXPECT_LE(off, size.off);
            EXPECT_LE(on, size.on);
        }
        const auto [off, on] = mostReads(treesThenLongChain(size.m, random), 1);
        EXPECT_LE(off, size.off) << size.m;
        EXPECT_LE(on, size.on) << size.m;
    }
    // On threads, past two blocks: the in-degrees and the segments split.
    const auto [off, on] =
        mostReads(makeMapping<uint32_t>(MIXED, (uint64_t{2} << 20) + 7, random, root), 2);
    EXPECT_LE(off, 3u);
    EXPECT_LE(on, 2u);
}

} // namespace
