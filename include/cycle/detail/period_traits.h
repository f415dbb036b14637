// What findPeriod asks of its types, checked at compile time so that a
// caller's mistake reads as one line rather than an error deep in the walk.
#ifndef CYCLE_DETAIL_PERIOD_TRAITS_H
#define CYCLE_DETAIL_PERIOD_TRAITS_H

#include <cstddef>
#include <functional>
#include <type_traits>

namespace cycle {
namespace detail {

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

} // namespace detail
} // namespace cycle

#endif
