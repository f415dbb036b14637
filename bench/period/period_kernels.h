// The period rows: iterated functions over bits-bit values, and the ways of
// finding where their sequences repeat, each one function template over the
// function, so that counting calls wraps it and never copies it.
#ifndef CYCLE_BENCH_PERIOD_KERNELS_H
#define CYCLE_BENCH_PERIOD_KERNELS_H

#include <cstddef>
#include <cstdint>

// A 64-bit mixer (two dependent multiplies) kept to bits bits: a random
// function on 2^bits values, a few ns a call.
struct Mix {
    uint64_t mask;
    uint64_t operator()(const uint64_t& x) const {
        uint64_t z = (x ^ 0x5851F42D4C957F2Du) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 31)) * 0x94D049BB133111EBu;
        return (z ^ (z >> 29)) & mask;
    }
};

// Pollard's map x -> x^2 + 1 modulo a prime just below 2^bits.
struct Rho {
    uint64_t prime;
    uint64_t operator()(const uint64_t& x) const {
        __extension__ typedef unsigned __int128 Wide;
        return static_cast<uint64_t>((static_cast<Wide>(x) * x + 1) % prime);
    }
};

// The mixer applied 64 times over: 100 ns or more a call, where calls are
// the time.
struct Slow {
    Mix mix;
    uint64_t operator()(const uint64_t& x) const {
        uint64_t y = x;
        for (int i = 0; i < 64; i++) {
            y = mix(y);
        }
        return y;
    }
};

// What a kernel found: the sequence's entry, mu and lambda (the floor gives
// its last value, 0 and 0).
struct PeriodFound {
    uint64_t entry;
    int64_t mu;
    int64_t lambda;
};

// The functions by name, for bits from 8 to 48: "mix", "rho" or "slow".
enum FunctionKind { FUNCTION_MIX, FUNCTION_RHO, FUNCTION_SLOW };
const char* functionName(FunctionKind kind);

// A kernel over the three functions. floor iterates f exactly length times
// from start; the others find the period from start and ignore length.
// calls, if not null, receives the calls of f made.
struct PeriodKernel {
    const char* name;
    PeriodFound (*run)(FunctionKind kind, int bits, uint64_t start, int64_t length, int64_t* calls);
};

// floor; findperiod (cycle::findPeriod); brent and floyd, the textbook
// methods as users find them, each finding lambda and then mu.
extern const PeriodKernel PERIOD_KERNELS[];
extern const size_t PERIOD_KERNEL_COUNT;

// Where the floor and Brent's method stand in PERIOD_KERNELS.
constexpr size_t PERIOD_FLOOR = 0;
constexpr size_t PERIOD_BRENT = 2;

#endif
