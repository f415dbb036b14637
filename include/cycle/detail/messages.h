// The text of bad-input messages, in one form for every function: what was
// given and what it broke, naming the values.
#ifndef CYCLE_DETAIL_MESSAGES_H
#define CYCLE_DETAIL_MESSAGES_H

#include <cstddef>
#include <limits>
#include <string>
#include <type_traits>

namespace cycle {
namespace detail {

// Any integer as text, for the messages of bad input.
template <typename T> std::string integerText(T value) {
    static_assert(std::is_integral<T>::value, "vertices and offsets are integers");
    if (std::is_signed<T>::value) {
        return std::to_string(static_cast<long long>(value));
    }
    return std::to_string(static_cast<unsigned long long>(value));
}

// Whether a T names every one of count items numbered from 0.
template <typename T> bool namesAll(size_t count) {
    using Largest = unsigned long long;
    return count == 0 ||
           static_cast<Largest>(count - 1) <= static_cast<Largest>(std::numeric_limits<T>::max());
}

// who's message for count items (of what, say "vertices") that no T names
// all of: "who: count what cannot all be named by the kind type, whose
// largest value is ...".
template <typename T>
std::string unnamedText(const char* who, size_t count, const char* what, const char* kind) {
    return std::string(who) + ": " + std::to_string(count) + " " + what +
           " cannot all be named by the " + kind + " type, whose largest value is " +
           integerText(std::numeric_limits<T>::max());
}

} // namespace detail
} // namespace cycle

#endif
