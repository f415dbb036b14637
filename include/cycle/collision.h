// A collision of a random-like function: a != b with f(a) == f(b), f on the
// values [0, 2^bits). What a truncated hash, Pollard's rho for a discrete
// logarithm or a generator's quality test needs, and what one start's rho
// (findPeriod) cannot split across cores. Past SMALL_COLLISION_BITS the
// search is van Oorschot and Wiener's: many walks from random starts, each
// ending at a distinguished point (its low d bits zero) that is stored with
// its start and length; two walks that end at the same point have merged,
// and walking both again from their starts finds the pair. Up to
// SMALL_COLLISION_BITS every image goes in a plain table instead.
//
//     auto c = cycle::findCollision([](uint64_t x) { return sha256(x); }, 48);
//     // c->a != c->b, and the low 48 bits of sha256(c->a), sha256(c->b) agree
#ifndef CYCLE_COLLISION_H
#define CYCLE_COLLISION_H

#include "detail/collision_search.h"

#include <cstdint>
#include <optional>

namespace cycle {

struct CollisionOptions {
    unsigned threads = 1;            // walks run on this many threads (0 counts as 1)
    uint64_t seed = 0;               // the starts are drawn from it
    unsigned distinguished_bits = 0; // d; 0: chosen from the bits and the memory
    size_t memory = 0; // bytes for the stored points; 0: chosen (at most a few MiB up to 64 bits)
    uint64_t max_calls =
        0; // give up after this many calls of f in all; 0: 16 sqrt(pi N / 2) + 2^20
};

struct Collision {
    uint64_t a, b;   // a != b, both below 2^bits
    uint64_t image;  // f(a) == f(b) == image
    uint64_t calls;  // calls of f the search made, on every thread
    uint64_t points; // distinguished points it stored
};

// Up to this many bits the search is a table of every image (4 bytes a
// value: 4 MiB at 20 bits), which takes fewer calls than the walks and no
// walk again to locate the pair.
constexpr unsigned SMALL_COLLISION_BITS = 20;

// A collision of f on [0, 2^bits), 1 <= bits <= 64: f takes and returns uint64_t, and only the
// low bits of its result count. std::nullopt after max_calls (f may have no collision at all).
//   Requires: f callable as f(uint64_t) -> an unsigned integer, from
//            options.threads threads at once; for the expected figures,
//            f random-like (a permutation has no collision, and the search
//            then ends at max_calls, or, up to SMALL_COLLISION_BITS, once
//            every value was tried).
//   Returns: {a, b, image, calls, points} with a != b and f(a) == f(b) ==
//            image in the low bits; std::nullopt once max_calls calls were
//            made without one. One thread and one seed give the same
//            collision every time; on several threads, any collision.
//   Calls:   never more than max_calls (default 16 sqrt(pi N / 2) + 2^20,
//            N = 2^bits), every thread's counted, the walks again to
//            locate a pair included. Expected, for a random f: up to
//            SMALL_COLLISION_BITS, sqrt(pi N / 2) and at most N; past
//            it, sqrt(pi N / 2) + 2.5 * 2^d a walk in flight (one a thread)
//            to meet, plus about 3 * 2^d to locate each merge (a merge
//            that is no collision, one start on the other's path, is passed
//            over and the search goes on). A walk longer than 20 *
//            2^d is dropped (it fell into a cycle with no distinguished
//            point).
//   Memory:  up to SMALL_COLLISION_BITS, 4 N bytes. Past it, 24 bytes a
//            stored point in one table: options.memory bytes, or by default
//            room for 4 times the expected points, at most 4 MiB. Where the
//            table is full a new point takes an older one's slot, which
//            loses that point, never the answer's truth. d, when not given,
//            balances a walk's overhead against the stored points' (2^(2d)
//            about 1.6 sqrt(pi N / 2) / threads: d = 10 at 40 bits on one
//            thread), raised until the expected points fill at most a
//            quarter of the memory (d = 17 at 64 bits by default).
//   Threads: min(options.threads, 64) (0 counts as 1), each running walks
//            of its own and sharing the table under a mutex (a point is
//            stored about once in 2^d calls); up to SMALL_COLLISION_BITS, the
//            calling thread alone.
//   Throws:  std::invalid_argument for bits outside [1, 64], d >= bits, or
//            memory below 64 points' room (1,536 bytes); std::bad_alloc;
//            whatever f throws, once every thread has stopped.
template <typename F>
std::optional<Collision> findCollision(F f, unsigned bits, CollisionOptions options = {}) {
    const detail::CollisionPlan plan = detail::planCollision(bits, options, SMALL_COLLISION_BITS);
    std::optional<detail::FoundPair> found;
    if (bits <= SMALL_COLLISION_BITS) {
        found = detail::tableSearch(f, plan);
    } else {
        found = detail::walkSearch(f, plan);
    }
    if (!found || !found->collided) {
        return std::nullopt;
    }
    return Collision{found->a, found->b, found->image, found->calls, found->points};
}

} // namespace cycle

#endif
