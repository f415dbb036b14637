// The random-like function the collision tests search: a 64-bit mixer
// (MurmurHash3's finalizer), cheap, and a bijection of 64 bits, so that
// only its truncation collides.
#ifndef CYCLE_TESTS_COLLISION_FUNCTIONS_H
#define CYCLE_TESTS_COLLISION_FUNCTIONS_H

#include <cstdint>

inline uint64_t mix(uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ull;
    return x ^ (x >> 33);
}

#endif
