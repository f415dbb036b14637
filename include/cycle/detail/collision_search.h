// The two collision searches behind findCollision: a table of every image
// for few bits, and van Oorschot and Wiener's distinguished-point walks on
// threads sharing one table of points.
//
// Invariant of the walks: every stored point p holds a start s and a length
// l such that l calls of f from s reach p, and no value before p on that
// walk is distinguished. So two entries for one p with different starts are
// two walks that merged at or before p, and stepping the longer one by the
// difference puts both cursors at the same distance from p: from there the
// first step whose images agree is the collision, unless the cursors are
// already equal (one start lies on the other's path: no collision).
//
// Costs: a walk's steady path is one call of f, a mask and one test of the
// low d bits; the mutex is taken once a stored point (once in 2^d calls).
// The budget of calls is drawn from a shared counter a chunk at a time, so
// that all threads together never pass max_calls.
#ifndef CYCLE_DETAIL_COLLISION_SEARCH_H
#define CYCLE_DETAIL_COLLISION_SEARCH_H

#include "threads.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace cycle {

struct CollisionOptions;

namespace detail {

struct CollisionPlan {
    unsigned bits;
    uint64_t mask;          // the low bits that count
    unsigned d;             // distinguished bits
    uint64_t distinguished; // the mask of those bits
    size_t slots;           // points the table holds
    uint64_t max_calls;
    uint64_t longest_walk; // steps before a walk is dropped
    unsigned threads;
    uint64_t seed;
};

struct FoundPair {
    bool collided;
    uint64_t a, b, image, calls, points;
};

// Bytes a stored point takes: its value, its walk's start and length.
constexpr size_t POINT_BYTES = 24;
constexpr size_t LEAST_SLOTS = 64;
constexpr size_t DEFAULT_POINT_MEMORY = size_t{4} << 20;
constexpr unsigned MOST_COLLISION_THREADS = 64;

// splitmix64's finalizer: the starts and the table's slots are drawn from
// it, so that neither depends on how f's values fall.
inline uint64_t mixBits(uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

// sqrt(pi N / 2) for N = 2^bits: the calls a random function takes, on
// average, to repeat an image.
inline double expectedCalls(unsigned bits) {
    return std::sqrt(3.14159265358979 / 2 * std::ldexp(1.0, static_cast<int>(bits)));
}

template <typename Options>
CollisionPlan planCollision(unsigned bits, const Options& options, unsigned small_bits) {
    if (bits < 1 || bits > 64) {
        throw std::invalid_argument("cycle::findCollision: bits is " + std::to_string(bits) +
                                    ", not in [1, 64]");
    }
    CollisionPlan plan{};
    plan.bits = bits;
    plan.mask = bits == 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
    plan.seed = options.seed;
    const double expected = expectedCalls(bits);
    plan.max_calls = options.max_calls != 0
                         ? options.max_calls
                         : static_cast<uint64_t>(16 * expected) + (uint64_t{1} << 20);
    plan.threads = options.threads < 1 ? 1 : options.threads;
    if (plan.threads > MOST_COLLISION_THREADS) {
        plan.threads = MOST_COLLISION_THREADS;
    }
    if (bits <= small_bits) {
        plan.threads = 1;
        return plan;
    }
    if (options.memory != 0 && options.memory < LEAST_SLOTS * POINT_BYTES) {
        throw std::invalid_argument("cycle::findCollision: memory is " +
                                    std::to_string(options.memory) + " bytes, below the " +
                                    std::to_string(LEAST_SLOTS * POINT_BYTES) + " of 64 points");
    }
    // The points the table holds at most: in the memory given, or the default's.
    const size_t room = (options.memory != 0 ? options.memory : DEFAULT_POINT_MEMORY) / POINT_BYTES;
    if (options.distinguished_bits != 0) {
        if (options.distinguished_bits >= bits) {
            throw std::invalid_argument("cycle::findCollision: distinguished_bits is " +
                                        std::to_string(options.distinguished_bits) +
                                        ", not below bits (" + std::to_string(bits) + ")");
        }
        plan.d = options.distinguished_bits;
    } else {
        // Each walk in flight costs about 2.5 * 2^d calls past the meeting,
        // each stored point about as much as 4 calls of a cheap f: their sum,
        // threads * 2.5 * 2^d + 4 * expected / 2^d, is least where 2^(2d) is
        // 1.6 expected / threads. Then d grows until the expected points
        // fill at most a quarter of the room.
        const double best = 1.6 * expected / plan.threads;
        while (plan.d + 1 < bits && std::ldexp(1.0, 2 * static_cast<int>(plan.d + 1)) <= best) {
            plan.d++;
        }
        while (plan.d + 1 < bits &&
               std::ldexp(expected, -static_cast<int>(plan.d)) > double(room) / 4) {
            plan.d++;
        }
    }
    // All the memory given; by default, room for 4 times the expected
    // points, at most the default's.
    const double wanted = 4 * std::ldexp(expected, -static_cast<int>(plan.d));
    plan.slots = options.memory != 0 || wanted >= double(room) ? room : static_cast<size_t>(wanted);
    if (plan.slots < LEAST_SLOTS) {
        plan.slots = LEAST_SLOTS;
    }
    plan.distinguished = (uint64_t{1} << plan.d) - 1;
    plan.longest_walk = uint64_t{20} << plan.d;
    return plan;
}

// The calls every thread may still make, handed out a chunk at a time.
class CallBudget {
  public:
    explicit CallBudget(uint64_t most) : most_(most) {}

    // Up to chunk more calls for the caller; 0 once the budget is spent.
    uint64_t take(uint64_t chunk) {
        const uint64_t before = taken_.fetch_add(chunk, std::memory_order_relaxed);
        if (before >= most_) {
            return 0;
        }
        return most_ - before < chunk ? most_ - before : chunk;
    }

  private:
    const uint64_t most_;
    std::atomic<uint64_t> taken_{0};
};

constexpr uint64_t CALL_CHUNK = 4096;

// f's image in the low bits, counted against a thread's allowance; false
// once the budget (or another thread's answer) ends the search.
template <typename F> struct CountedSteps {
    F& f;
    uint64_t mask;
    CallBudget& budget;
    const std::atomic<bool>& done;
    uint64_t allowance = 0;
    uint64_t made = 0;

    bool step(uint64_t& x) {
        if (allowance == 0) {
            allowance = done.load(std::memory_order_relaxed) ? 0 : budget.take(CALL_CHUNK);
            if (allowance == 0) {
                return false;
            }
        }
        using Result = decltype(f(x));
        static_assert(std::is_integral<Result>::value,
                      "cycle::findCollision: f must return an unsigned integer");
        x = static_cast<uint64_t>(f(x)) & mask;
        allowance--;
        made++;
        return true;
    }
};

// Every image in a table, the values tried in an order drawn from the seed
// (an affine permutation of [0, 2^bits)), until one repeats.
template <typename F> std::optional<FoundPair> tableSearch(F& f, const CollisionPlan& plan) {
    const uint64_t n = plan.mask + 1;
    // seen[y] is 1 + the value whose image was y, or 0.
    std::unique_ptr<uint32_t[]> seen(new uint32_t[n]());
    const uint64_t offset = mixBits(plan.seed) & plan.mask;
    const uint64_t stride = (mixBits(plan.seed ^ 0x5bd1e995u) | 1) & plan.mask;
    const uint64_t most = plan.max_calls < n ? plan.max_calls : n;
    for (uint64_t i = 0; i < most; i++) {
        const uint64_t x = (offset + i * stride) & plan.mask;
        const uint64_t y = static_cast<uint64_t>(f(x)) & plan.mask;
        if (seen[y] != 0) {
            return FoundPair{true, seen[y] - uint64_t{1}, x, y, i + 1, 0};
        }
        seen[y] = static_cast<uint32_t>(x + 1);
    }
    return std::nullopt;
}

// The stored points: one slot a point, chosen by its mixed value; a point
// whose slot another holds takes it, and the older point is forgotten.
struct PointSlot {
    uint64_t point;
    uint64_t start;
    uint64_t length; // 0: empty
};

class PointTable {
  public:
    explicit PointTable(size_t slots) : slots_(slots, PointSlot{0, 0, 0}) {}

    // The walk that reached point before, from another start, if the table
    // still holds it; otherwise none, and this walk is stored.
    std::optional<PointSlot> meet(uint64_t point, uint64_t start, uint64_t length) {
        PointSlot& slot = slots_[mixBits(point) % slots_.size()];
        if (slot.length != 0 && slot.point == point) {
            if (slot.start == start) {
                return std::nullopt;
            }
            return slot;
        }
        slot = PointSlot{point, start, length};
        stored_++;
        return std::nullopt;
    }

    uint64_t stored() const {
        return stored_;
    }

  private:
    std::vector<PointSlot> slots_;
    uint64_t stored_ = 0;
};

// One walk: its start, where it is and how far it came. Walk w of stream s
// (a thread, or a rank's thread) starts at mixBits(seed ^ mixBits(w, s)).
struct WalkState {
    uint64_t stream;
    uint64_t walks = 0;
    uint64_t start = 0;
    uint64_t x = 0;
    uint64_t length = 0;
};

inline void startWalk(WalkState& walk, const CollisionPlan& plan) {
    walk.start = mixBits(plan.seed ^ mixBits((walk.walks << 20) | walk.stream)) & plan.mask;
    walk.x = walk.start;
    walk.length = 0;
    walk.walks++;
}

// Steps walk to its next distinguished point (true: walk.x, with its start
// and length, is the point to store; the caller starts the next walk), or
// until the calls run out (false: the walk stays where it is, to go on
// later). A walk past the longest is dropped for a fresh one.
template <typename F>
bool walkToPoint(WalkState& walk, CountedSteps<F>& steps, const CollisionPlan& plan) {
    for (;;) {
        if (walk.length >= plan.longest_walk) {
            startWalk(walk, plan);
        }
        if (!steps.step(walk.x)) {
            return false;
        }
        walk.length++;
        if ((walk.x & plan.distinguished) == 0) {
            return true;
        }
    }
}

// Locates the pair behind two walks that reached one point: (a, length_a)
// and (b, length_b), their starts and lengths. False for one walk on the
// other's path (the cursors meet before their images do), or once the
// calls run out.
template <typename F>
bool locatePair(CountedSteps<F>& steps, uint64_t a, uint64_t length_a, uint64_t b,
                uint64_t length_b, FoundPair& found) {
    for (; length_a > length_b; length_a--) {
        if (!steps.step(a)) {
            return false;
        }
    }
    for (; length_b > length_a; length_b--) {
        if (!steps.step(b)) {
            return false;
        }
    }
    if (a == b) {
        return false;
    }
    for (uint64_t left = length_a; left > 0; left--) {
        uint64_t next_a = a;
        uint64_t next_b = b;
        if (!steps.step(next_a) || !steps.step(next_b)) {
            return false;
        }
        if (next_a == next_b) {
            found.collided = true;
            found.a = a;
            found.b = b;
            found.image = next_a;
            return true;
        }
        a = next_a;
        b = next_b;
    }
    return false;
}

template <typename F> std::optional<FoundPair> walkSearch(F& f, const CollisionPlan& plan) {
    PointTable table(plan.slots);
    std::mutex guard;
    CallBudget budget(plan.max_calls);
    std::atomic<bool> done{false};
    std::atomic<uint64_t> calls{0};
    FoundPair answer{false, 0, 0, 0, 0, 0};
    onThreads(plan.threads, [&](unsigned thread) {
        CountedSteps<F> steps{f, plan.mask, budget, done};
        struct Tally {
            CountedSteps<F>& steps;
            std::atomic<uint64_t>& calls;
            ~Tally() {
                calls.fetch_add(steps.made, std::memory_order_relaxed);
            }
        } tally{steps, calls};
        try {
            WalkState walk{thread};
            startWalk(walk, plan);
            while (walkToPoint(walk, steps, plan)) {
                std::optional<PointSlot> other;
                {
                    std::lock_guard<std::mutex> hold(guard);
                    if (done.load(std::memory_order_relaxed)) {
                        return;
                    }
                    other = table.meet(walk.x, walk.start, walk.length);
                }
                FoundPair found{false, 0, 0, 0, 0, 0};
                if (other && locatePair(steps, other->start, other->length, walk.start, walk.length,
                                        found)) {
                    std::lock_guard<std::mutex> hold(guard);
                    if (!done.load(std::memory_order_relaxed)) {
                        answer = found;
                        done.store(true, std::memory_order_relaxed);
                    }
                    return;
                }
                startWalk(walk, plan);
            }
        } catch (...) {
            done.store(true, std::memory_order_relaxed);
            throw;
        }
    });
    if (!answer.collided) {
        return std::nullopt;
    }
    answer.calls = calls.load();
    answer.points = table.stored();
    return answer;
}

} // namespace detail
} // namespace cycle

#endif
