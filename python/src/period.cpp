// find_period over Python values: the library's walk with T a Python
// object, == as Python's == and the hash as Python's hash. It calls f, and
// so holds the GIL throughout.
#include "bindings.h"

#include <cycle/period.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <optional>

namespace cycle_python {

namespace {

// A Python value as the walk holds it: copies share the object (a
// reference each), == is Python's ==, which may raise.
struct Value {
    py::object object;

    bool operator==(const Value& other) const {
        if (object.ptr() == other.object.ptr()) {
            return true;
        }
        const int same = PyObject_RichCompareBool(object.ptr(), other.object.ptr(), Py_EQ);
        if (same < 0) {
            throw py::error_already_set();
        }
        return same == 1;
    }
};

struct PythonHash {
    size_t operator()(const Value& value) const {
        const Py_hash_t hash = PyObject_Hash(value.object.ptr());
        if (hash == -1 && PyErr_Occurred()) {
            throw py::error_already_set();
        }
        return static_cast<size_t>(hash);
    }
};

// (entry, mu, lam), or None where limit is given and mu + lam is above it.
py::object findPeriod(py::object start, py::object f, std::optional<int64_t> limit) {
    // Fail at the start on an unhashable start, as a dict would.
    PythonHash{}(Value{start});
    auto step = [&f](const Value& x) { return Value{f(x.object)}; };
    std::optional<cycle::Period<Value>> found;
    if (limit) {
        found = cycle::findPeriodWithin(Value{start}, step, *limit, PythonHash{});
    } else {
        found = cycle::findPeriod(Value{start}, step, PythonHash{});
    }
    if (!found) {
        return py::none();
    }
    return py::make_tuple(found->entry.object, found->mu, found->lambda);
}

} // namespace

void bindPeriod(py::module_& m) {
    m.def("find_period", &findPeriod, py::arg("start"), py::arg("f"),
          py::arg("limit") = py::none());
}

} // namespace cycle_python
