// The text of bad-input messages, in one form for every function: what was
// given and what it broke, naming the values.
#ifndef CYCLE_DETAIL_MESSAGES_H
#define CYCLE_DETAIL_MESSAGES_H

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

} // namespace detail
} // namespace cycle

#endif
