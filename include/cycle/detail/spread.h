// The one multiplier every hash of the library spreads by: Fibonacci
// hashing's 2^64 / phi, odd, so that multiplying by it is a bijection of
// 64-bit words whose top bits depend on all the bits below.
#ifndef CYCLE_DETAIL_SPREAD_H
#define CYCLE_DETAIL_SPREAD_H

#include <cstdint>

namespace cycle {
namespace detail {

constexpr uint64_t KEY_MULTIPLIER = 0x9E3779B97F4A7C15u;

// hash spread over all 64 bits; the top bits make a good table index.
inline uint64_t spreadKey(uint64_t hash) {
    return hash * KEY_MULTIPLIER;
}

} // namespace detail
} // namespace cycle

#endif
