// Where an iterated function's sequence repeats: x0 = start, x(i+1) = f(x(i)),
// over any value type with == and copying, through the same checkpoint walk
// as findCycle on lists.
#ifndef CYCLE_PERIOD_H
#define CYCLE_PERIOD_H

#include "detail/checkpoints.h"
#include "detail/tally.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace cycle {

// The sequence's shape: entry is x(mu), the first value that comes back;
// mu its position; lambda (at least 1) the cycle's length.
template <typename T> struct Period {
    T entry;
    int64_t mu;
    int64_t lambda;
};

namespace detail {

// The checkpoints of a value walk: 256 values of T and their keys, in 256
// buckets of two (4 KiB), the table built at 56 values; with a gap under a
// 127th of the position, the search for mu costs few calls of f.
template <typename T> using ValueCheckpoints = Checkpoints<T, 256, 8, 56>;

// findPeriodWithin with a tally; limit NO_LIMIT walks until a repeat.
template <typename T, typename F, typename Hash, typename Tally>
std::optional<Period<T>> findPeriod(const T& start, F& f, Hash& hash, int64_t limit, Tally& tally) {
    if (limit != NO_LIMIT && limit < 1) {
        return std::nullopt;
    }
    ValueSteps<T, F, Hash> steps{f, hash};
    ValueCheckpoints<T> marks;
    Sighting seen = sightRepeat(start, steps, marks, limit, tally);
    if (seen.repeat < 0) {
        return std::nullopt;
    }
    Located<T> found = locateCycle(steps, marks, seen, tally);
    if (limit != NO_LIMIT && found.mu + found.lambda > limit) {
        return std::nullopt;
    }
    return Period<T>{std::move(found.entry), found.mu, found.lambda};
}

} // namespace detail

// The period of the sequence from start under f: entry, mu and lambda, exact.
// T needs copying and ==; f takes const T& and returns a T; hash only places
// values, so a poor one (even a constant) slows the search but never makes
// it wrong or breaks the bound. Returns once the sequence repeats, so runs
// forever only on a sequence that never does. Calls of f: typically
// mu + lambda and a few hundredths more; at most 2 max(mu, lambda) + lambda
// to see the repeat, plus under 11 gaps to locate it (a gap is 32, or a
// 127th of the calls), plus lambda where two checkpoints shared a hash or
// the cycle is under 56 values long. Extra memory: 256 stored values of T
// and 6 KiB, on the stack.
template <typename T, typename F, typename Hash = std::hash<T>>
Period<T> findPeriod(const T& start, F f, Hash hash = Hash{}) {
    detail::NoTally none;
    return *detail::findPeriod(start, f, hash, detail::NO_LIMIT, none);
}

// The period of the sequence from start under f, exact, if mu + lambda <=
// limit; std::nullopt otherwise (also when limit < 1). For sequences whose
// period may be far too long to wait for. Calls of f: as findPeriod's when
// the period is found; otherwise limit plus at most 64 and a gap (32, or a
// 127th of it), or 3 limit + 64 and a gap if a poor hash crowded
// checkpoints out of its table.
// Extra memory as findPeriod's.
template <typename T, typename F, typename Hash = std::hash<T>>
std::optional<Period<T>> findPeriodWithin(const T& start, F f, int64_t limit, Hash hash = Hash{}) {
    if (limit < 1) {
        return std::nullopt;
    }
    detail::NoTally none;
    return detail::findPeriod(start, f, hash, limit, none);
}

} // namespace cycle

#endif
