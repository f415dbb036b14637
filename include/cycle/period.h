// Where an iterated function's sequence repeats: x0 = start, x(i+1) = f(x(i)),
// over any value type with == and copying, through the same checkpoint walk
// as findCycle on lists.
#ifndef CYCLE_PERIOD_H
#define CYCLE_PERIOD_H

#include "detail/checkpoints.h"
#include "detail/tally.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <type_traits>

namespace cycle {

// The sequence's shape: entry is x(mu), the first value that comes back;
// mu its position; lambda (at least 1) the cycle's length.
template <typename T> struct Period {
    T entry;
    int64_t mu;
    int64_t lambda;
};

namespace detail {

// The checkpoints of a value walk: VALUE_SLOTS (256) values of T and their
// keys, in 2^VALUE_TABLE_BITS (256) buckets of two (4 KiB), the table built
// at VALUE_STRETCH (56) values; with a gap under a 127th of the position,
// the search for mu costs few calls of f.
template <typename T>
using ValueCheckpoints = Checkpoints<T, VALUE_SLOTS, VALUE_TABLE_BITS, VALUE_STRETCH>;

// Stands for a missing std::hash<T>, so that findPeriod can say so in one
// line rather than fail inside the walk.
struct NoStdHash {};
template <typename T, typename = void> struct StdHashOf { using type = NoStdHash; };
template <typename T>
struct StdHashOf<T, std::enable_if_t<std::is_default_constructible<std::hash<T>>::value>> {
    using type = std::hash<T>;
};
template <typename T> using StdHashOr = typename StdHashOf<T>::type;

// Whether findPeriod can take T and Hash; each failing part is reported by
// the static_asserts in checkPeriodTypes.
template <typename T, typename Hash> constexpr bool periodTypesFit() {
    return std::is_copy_constructible<T>::value && std::is_copy_assignable<T>::value &&
           std::is_invocable_r<size_t, Hash&, const T&>::value;
}

template <typename T, typename Hash> constexpr void checkPeriodTypes() {
    static_assert(std::is_copy_constructible<T>::value && std::is_copy_assignable<T>::value,
                  "cycle::findPeriod: T must be copy-constructible and copy-assignable");
    static_assert(!std::is_same<Hash, NoStdHash>::value,
                  "cycle::findPeriod: std::hash<T> is not defined; pass a hash, a callable "
                  "taking const T& and returning size_t, as the last argument");
    static_assert(std::is_same<Hash, NoStdHash>::value ||
                      std::is_invocable_r<size_t, Hash&, const T&>::value,
                  "cycle::findPeriod: the hash must take const T& and return size_t");
}

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
// T needs copy construction, copy assignment and ==; f takes const T& and
// returns a T; hash takes const T& and returns size_t (std::hash<T> by
// default). The hash only places values: a poor one, even a constant, slows
// the search but never makes it wrong or breaks the bound. Returns once the
// sequence repeats, so runs forever only on a sequence that never does.
// Calls of f: typically mu + lambda and a few hundredths more; at most
// 2 max(mu, lambda) + lambda to see the repeat, plus under 13 gaps to locate
// it (a gap is 8, or a 127th of the calls), plus at most 56 when mu <= 56.
// Extra memory, on the stack: 256 held values of T and 6 KiB of keys; at
// most 261 values of T alive at once, counting the walk's own and f's
// result. Throws only what f, hash or T's copies throw.
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

// The period of the sequence from start under f, exact, if mu + lambda <=
// limit; std::nullopt otherwise (also when limit < 1). For sequences whose
// period may be far too long to wait for. Calls of f: as findPeriod's when
// the period is found; otherwise at most limit + 64 and a gap to rule it
// out, or 3 limit + 64 and a gap if a poor hash pushed a checkpoint out of
// its table, plus findPeriod's 13 gaps and 56 where a repeat past the limit
// had to be located. Requirements, memory and exceptions as findPeriod's.
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
