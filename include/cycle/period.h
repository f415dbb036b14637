// Where an iterated function's sequence repeats: x0 = start, x(i+1) = f(x(i)),
// over any value type with == and copying.
//
// T needs copy construction, copy assignment and == (moves are used where T
// has them, copies where it does not); f takes const T& and returns a T;
// hash takes const T& and returns size_t (std::hash<T> by default; a
// missing one is reported at compile time in one line). A poor hash, even a
// constant, slows the search but never breaks a bound: where it gives two
// of the walk's values the same result, findPeriodWithin may take up to 3
// limit to rule a limit out, and each step compares keys (integers, at
// most 256 and 257 probes of the set) besides its values. mu is the first
// repeated value's position, lambda the cycle's length; docs/library.md
// derives each bound.
//
//     cycle::Period<int> p = cycle::findPeriod(3, [](const int& x) { return (x * x + 1) % 255; });
#ifndef CYCLE_PERIOD_H
#define CYCLE_PERIOD_H

#include "detail/period_traits.h"
#include "detail/period_walk.h"
#include "detail/tally.h"
#include "results.h"

#include <cstdint>
#include <cstdlib>
#include <optional>

namespace cycle {

// The period of the sequence from start under f.
//   Returns: {entry, mu, lambda}, exact, once the sequence repeats; runs
//            forever only on a sequence that never does (see
//            findPeriodWithin).
//   Calls:   at most 2 max(mu, lambda) + lambda to see the repeat, plus under
//            13 gaps to locate it (a gap is 8, or S / 127, S the calls made
//            to see the repeat), plus at most 56 when mu <= 56; typically
//            mu + lambda and a few hundredths more. With a hash that gives
//            the walk's values distinct results, the repeat is seen within
//            mu + lambda and a gap. T's == at most 3 times a call of f, and
//            12 more; hash at most once a call of f.
//   Memory:  on the stack, 256 held values of T and 10 KiB of keys; at most
//            261 values of T alive at once, counting the walk's own and f's
//            result.
//   Threads: none.
//   Throws:  only what f, hash, T's == or T's copies throw.
template <typename T, typename F, typename Hash = detail::StdHashOr<T>>
Period<T> findPeriod(const T& start, F f, Hash hash = Hash{}) {
    detail::checkPeriodTypes<T, Hash>();
    if constexpr (detail::periodTypesFit<T, Hash>()) {
        detail::NoTally none;
        return *detail::findPeriod(start, f, hash, detail::NO_LIMIT, none);
    } else {
        std::abort();
    }
}

// The period of the sequence from start under f, if it is short enough to
// wait for.
//   Returns: the period, exact, if mu + lambda <= limit; std::nullopt
//            otherwise, and for any limit < 1.
//   Calls:   findPeriod's when the period is found; otherwise at most
//            limit + 64 and a gap to rule it out, with any hash that gives
//            the walk's values distinct results, or 3 limit + 64 and a gap
//            once the hash gave two of them the same result, plus
//            findPeriod's 13 gaps and 56 where a repeat past the limit had
//            to be located. == and hash as findPeriod's.
//   Memory:  as findPeriod's.
//   Threads: none.
//   Throws:  only what f, hash, T's == or T's copies throw.
template <typename T, typename F, typename Hash = detail::StdHashOr<T>>
std::optional<Period<T>> findPeriodWithin(const T& start, F f, int64_t limit, Hash hash = Hash{}) {
    detail::checkPeriodTypes<T, Hash>();
    if constexpr (detail::periodTypesFit<T, Hash>()) {
        if (limit < 1) {
            return std::nullopt;
        }
        detail::NoTally none;
        return detail::findPeriod(start, f, hash, limit, none);
    } else {
        std::abort();
    }
}

} // namespace cycle

#endif
