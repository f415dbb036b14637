// How the binding reads and makes numpy arrays: an array-like of integers
// taken in its own dtype (never cast to another), handed to the library as a
// pointer, and results handed back without a copy where they are vectors.
#ifndef CYCLE_PYTHON_ARRAYS_H
#define CYCLE_PYTHON_ARRAYS_H

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace cycle_python {
namespace py = pybind11;

template <typename T> struct Type { using type = T; };

// The element type behind a pointer the callbacks below are given.
template <typename Pointer> using ElementOf = std::remove_const_t<std::remove_pointer_t<Pointer>>;

// obj as a 1-D integer ndarray of its own dtype: an ndarray as it is, any
// other array-like through numpy.asarray (an empty sequence counts as
// int64, the dtype numpy gives a sequence of Python ints).
//   Throws: TypeError for anything whose dtype is not an integer (bool,
//           floats and objects included); ValueError for other than 1-D.
inline py::array integers(py::handle obj, const char* who, const char* what) {
    const bool given_array = py::isinstance<py::array>(obj);
    py::array a = py::array::ensure(obj);
    if (!a) {
        throw py::type_error(std::string(who) + ": " + what + " is not an array of integers");
    }
    if (!given_array && a.size() == 0) {
        a = py::array_t<int64_t>(0);
    }
    const char kind = a.dtype().kind();
    if (kind != 'i' && kind != 'u') {
        throw py::type_error(std::string(who) + ": " + what + " must hold integers, not " +
                             std::string(py::str(a.dtype())));
    }
    if (a.ndim() != 1) {
        throw py::value_error(std::string(who) + ": " + what + " must be 1-D, not " +
                              std::to_string(a.ndim()) + "-D");
    }
    return a;
}

// Calls f(Type<T>{}) for the C++ integer type T of an integer dtype (as
// integers() returns it), and returns what f returns.
template <typename F> py::object withType(const py::dtype& dtype, F&& f) {
    const bool is_signed = dtype.kind() == 'i';
    switch (dtype.itemsize()) {
    case 1:
        return is_signed ? f(Type<int8_t>{}) : f(Type<uint8_t>{});
    case 2:
        return is_signed ? f(Type<int16_t>{}) : f(Type<uint16_t>{});
    case 4:
        return is_signed ? f(Type<int32_t>{}) : f(Type<uint32_t>{});
    default:
        return is_signed ? f(Type<int64_t>{}) : f(Type<uint64_t>{});
    }
}

// a, whose dtype is T's in value, as C-contiguous memory of T in this
// machine's byte order: a itself where it is so already, else a copy that
// keeps every value (a strided view, or bytes in the other order).
template <typename T> py::array_t<T, py::array::c_style> contiguous(const py::array& a) {
    auto c = py::array_t<T, py::array::c_style>::ensure(a);
    if (!c) {
        throw py::error_already_set();
    }
    return c;
}

// The vector's elements as a 1-D array that owns them: the vector is moved,
// not copied.
template <typename T> py::array_t<T> toArray(std::vector<T>&& values) {
    std::unique_ptr<std::vector<T>> owned(new std::vector<T>(std::move(values)));
    py::capsule free_when_done(owned.get(),
                               [](void* p) { delete static_cast<std::vector<T>*>(p); });
    std::vector<T>* kept = owned.release();
    return py::array_t<T>(static_cast<py::ssize_t>(kept->size()), kept->data(), free_when_done);
}

} // namespace cycle_python

#endif
