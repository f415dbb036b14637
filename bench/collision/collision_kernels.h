// The collision rows' functions and kernels: a != b with f(a) == f(b) for
// f on the values [0, 2^bits). Each kernel is one function template over f
// in collision_kernels.cpp, instantiated for the two functions below, and
// counts its own calls; the floor calls f as many times in a dependent
// loop.
#ifndef CYCLE_BENCH_COLLISION_KERNELS_H
#define CYCLE_BENCH_COLLISION_KERNELS_H

#include "collision/collision_sha256.h"
#include "period/period_kernels.h"

#include <cstddef>
#include <cstdint>
#include <string>

// mix: the period rows' 64-bit mixer kept to bits bits, the cheapest
// random-like f (a few ns a call); sha256: the first 8 bytes of SHA-256 of
// the value's 8 little-endian bytes, as a 64-bit little-endian number kept
// to bits bits, through libcrypto (about 100 ns a call), where it was
// found at build time.
enum CollisionFunctionKind { COLLISION_MIX, COLLISION_SHA256 };
const char* collisionFunctionName(CollisionFunctionKind kind);
bool collisionFunctionBuilt(CollisionFunctionKind kind);

inline uint64_t lowMask(unsigned bits) {
    return bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
}

struct Sha256 {
    uint64_t mask;
    uint64_t operator()(const uint64_t& x) const {
        return sha256Low(x) & mask;
    }
};

// kernel(f) for the function of kind on bits bits, as a functor of its own
// type, so that mix inlines into every loop it is called in.
template <typename Kernel>
auto withCollisionFunction(CollisionFunctionKind kind, unsigned bits, Kernel kernel) {
    if (kind == COLLISION_MIX) {
        return kernel(Mix{lowMask(bits)});
    }
    return kernel(Sha256{lowMask(bits)});
}

// f(x) for the function of kind on bits bits.
uint64_t collisionImage(CollisionFunctionKind kind, unsigned bits, uint64_t x);

// The floor: f called calls times in a dependent loop from start; returns
// the last value, so that no call can be left out.
uint64_t collisionFloor(CollisionFunctionKind kind, unsigned bits, uint64_t start, uint64_t calls);

// What a kernel found: found is false where it gave up (no kernel does on
// a random f within its bounds). calls counts every call of f, on every
// thread; points the distinguished points stored, where the kernel keeps
// any.
struct CollisionFound {
    bool found;
    uint64_t a, b, image, calls, points;
};

// A way of finding a collision, from a seed that draws its starts.
struct CollisionKernel {
    const char* name;
    CollisionFound (*run)(CollisionFunctionKind kind, unsigned bits, uint64_t seed);
    // The most bits it is run at: the table and the sort hold about
    // sqrt(N) images, 16 to 40 bytes each, and past 40 bits a round takes
    // most of a minute and gigabytes.
    unsigned largest_bits;
    // Whether one seed gives one collision every time (true of all but the
    // threaded search).
    bool repeatable;
};

// rho: one start's rho (cycle::findPeriod), then the two values before its
// entry, one on the tail and one on the cycle; table: every image into a
// std::unordered_map until one repeats, the textbook birthday search;
// sorted: 2^ceil(bits/2) images sorted and scanned, and the next as many
// added while none repeats; findcollision and findcollision_t2:
// cycle::findCollision on one and two threads.
extern const CollisionKernel COLLISION_KERNELS[];
extern const size_t COLLISION_KERNEL_COUNT;

// Where the table and the library's two searches stand in COLLISION_KERNELS.
constexpr size_t COLLISION_TABLE = 1;
constexpr size_t COLLISION_LIBRARY = 3;
constexpr size_t COLLISION_LIBRARY_T2 = 4;

// sqrt(pi N / 2) for N = 2^bits: the calls a random f takes, on average,
// to repeat an image.
double birthdayCalls(unsigned bits);

// Whether found is a collision of the function of kind on bits bits.
bool isCollision(CollisionFunctionKind kind, unsigned bits, const CollisionFound& found);

// bench/run's context, "k=v,k=v", as JSON members: "k": "v", "k": "v".
std::string contextMembers(const char* given);

#endif
