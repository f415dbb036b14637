// SHA-256 of a 64-bit value through libcrypto, for the collision rows.
#ifndef CYCLE_BENCH_COLLISION_SHA256_H
#define CYCLE_BENCH_COLLISION_SHA256_H

#include <cstdint>

// Whether libcrypto was found at build time; sha256Low is then defined.
bool sha256Built();

// The first 8 bytes of SHA-256 of x's 8 little-endian bytes, read as a
// little-endian number. Safe from any thread: each keeps a digest context
// of its own. Ends the process with one line on standard error if
// libcrypto fails.
uint64_t sha256Low(uint64_t x);

#endif
