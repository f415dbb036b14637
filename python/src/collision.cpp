// find_collision over a Python f: the library's search, its f a call of the
// Python callable whose int result is taken modulo 2^64 (the search keeps
// the low bits). On one thread the GIL is held throughout; on several it is
// released, and each call of f takes it, so the walks run side by side only
// where f itself releases it.
#include "bindings.h"

#include <cycle/collision.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <optional>

namespace cycle_python {

namespace {

uint64_t imageOf(const py::object& result) {
    const unsigned long long low = PyLong_AsUnsignedLongLongMask(result.ptr());
    if (low == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
        throw py::error_already_set();
    }
    return static_cast<uint64_t>(low);
}

// (a, b, image, calls, points), or None.
py::object findCollision(py::object f, int64_t bits, int64_t threads, uint64_t seed,
                         std::optional<uint64_t> max_calls) {
    if (bits < 1 || bits > 64) {
        throw py::value_error("cycle.find_collision: bits is " + std::to_string(bits) +
                              ", not in [1, 64]");
    }
    if (threads < 0 || threads > 64) {
        throw py::value_error("cycle.find_collision: threads is " + std::to_string(threads) +
                              ", not in [0, 64]");
    }
    if (max_calls && *max_calls == 0) {
        throw py::value_error("cycle.find_collision: max_calls is 0; None takes the default");
    }
    cycle::CollisionOptions options;
    options.threads = static_cast<unsigned>(threads);
    options.seed = seed;
    options.max_calls = max_calls.value_or(0);
    std::optional<cycle::Collision> found;
    if (threads <= 1) {
        found = cycle::findCollision([&f](uint64_t x) { return imageOf(f(x)); },
                                     static_cast<unsigned>(bits), options);
    } else {
        auto shared = [&f](uint64_t x) {
            py::gil_scoped_acquire locked;
            return imageOf(f(x));
        };
        py::gil_scoped_release unlocked;
        found = cycle::findCollision(shared, static_cast<unsigned>(bits), options);
    }
    if (!found) {
        return py::none();
    }
    return py::make_tuple(found->a, found->b, found->image, found->calls, found->points);
}

} // namespace

void bindCollision(py::module_& m) {
    m.def("find_collision", &findCollision, py::arg("f"), py::arg("bits"), py::arg("threads"),
          py::arg("seed"), py::arg("max_calls"));
}

} // namespace cycle_python
