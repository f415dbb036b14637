#include "period/period_kernels.h"

#include "cycle/detect.h"

const char* functionName(FunctionKind kind) {
    switch (kind) {
    case FUNCTION_MIX:
        return "mix";
    case FUNCTION_RHO:
        return "rho";
    case FUNCTION_SLOW:
        break;
    }
    return "slow";
}

// The largest prime below 2^bits, by trial division (bits <= 48).
static uint64_t primeBelow(int bits) {
    for (uint64_t candidate = (uint64_t{1} << bits) - 1;; candidate -= 2) {
        bool prime = true;
        for (uint64_t divisor = 3; divisor * divisor <= candidate; divisor += 2) {
            if (candidate % divisor == 0) {
                prime = false;
                break;
            }
        }
        if (prime) {
            return candidate;
        }
    }
}

template <typename F> static PeriodFound iterate(uint64_t start, F f, int64_t length) {
    uint64_t x = start;
    for (int64_t i = 0; i < length; i++) {
        x = f(x);
    }
    return {x, 0, 0};
}

template <typename F> static PeriodFound findPeriod(uint64_t start, F f, int64_t) {
    cycle::Period<uint64_t> period = cycle::findPeriod(start, f);
    return {period.entry, period.mu, period.lambda};
}

// Brent's method as textbooks give it: lambda by a tortoise that jumps to the
// hare at powers of two, then mu by two pointers lambda apart.
template <typename F> static PeriodFound brent(uint64_t start, F f, int64_t) {
    int64_t power = 1;
    int64_t lambda = 1;
    uint64_t tortoise = start;
    uint64_t hare = f(start);
    while (tortoise != hare) {
        if (power == lambda) {
            tortoise = hare;
            power *= 2;
            lambda = 0;
        }
        hare = f(hare);
        lambda++;
    }
    tortoise = start;
    hare = start;
    for (int64_t i = 0; i < lambda; i++) {
        hare = f(hare);
    }
    int64_t mu = 0;
    while (tortoise != hare) {
        tortoise = f(tortoise);
        hare = f(hare);
        mu++;
    }
    return {tortoise, mu, lambda};
}

// Floyd's tortoise and hare as textbooks give it: a meeting, then mu from
// the start and the meeting point, then lambda by one lap.
template <typename F> static PeriodFound floyd(uint64_t start, F f, int64_t) {
    uint64_t tortoise = f(start);
    uint64_t hare = f(f(start));
    while (tortoise != hare) {
        tortoise = f(tortoise);
        hare = f(f(hare));
    }
    int64_t mu = 0;
    tortoise = start;
    while (tortoise != hare) {
        tortoise = f(tortoise);
        hare = f(hare);
        mu++;
    }
    int64_t lambda = 1;
    hare = f(tortoise);
    while (tortoise != hare) {
        hare = f(hare);
        lambda++;
    }
    return {tortoise, mu, lambda};
}

// The prime of rho for bits, found once.
static uint64_t rhoPrime(int bits) {
    static uint64_t primes[64] = {};
    if (primes[bits] == 0) {
        primes[bits] = primeBelow(bits);
    }
    return primes[bits];
}

// kernel on the function of kind, counting its calls when calls is not null:
// the counting run wraps f, the algorithm is the same code.
template <typename Kernel>
static PeriodFound dispatch(Kernel kernel, FunctionKind kind, int bits, uint64_t start,
                            int64_t length, int64_t* calls) {
    const Mix mix{(uint64_t{1} << bits) - 1};
    auto run = [&](auto f) {
        if (calls == nullptr) {
            return kernel(start, f, length);
        }
        *calls = 0;
        return kernel(
            start,
            [calls, f](const uint64_t& x) {
                ++*calls;
                return f(x);
            },
            length);
    };
    switch (kind) {
    case FUNCTION_MIX:
        return run(mix);
    case FUNCTION_RHO:
        return run(Rho{rhoPrime(bits)});
    case FUNCTION_SLOW:
        break;
    }
    return run(Slow{mix});
}

#define PERIOD_KERNEL(name, kernel)                                                                \
    static PeriodFound name(FunctionKind kind, int bits, uint64_t start, int64_t length,           \
                            int64_t* calls) {                                                      \
        return dispatch([](uint64_t x, auto f, int64_t n) { return kernel(x, f, n); }, kind, bits, \
                        start, length, calls);                                                     \
    }

PERIOD_KERNEL(runFloor, iterate)
PERIOD_KERNEL(runFindPeriod, findPeriod)
PERIOD_KERNEL(runBrent, brent)
PERIOD_KERNEL(runFloyd, floyd)

const PeriodKernel PERIOD_KERNELS[] = {
    {"floor", runFloor},
    {"findperiod", runFindPeriod},
    {"brent", runBrent},
    {"floyd", runFloyd},
};
const size_t PERIOD_KERNEL_COUNT = sizeof(PERIOD_KERNELS) / sizeof(PERIOD_KERNELS[0]);
