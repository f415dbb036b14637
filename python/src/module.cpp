// cycle._cycle: the compiled half of the Python package. cycle/__init__.py
// wraps it and names what it returns.
#include "bindings.h"

#ifndef CYCLE_VERSION
#error "CYCLE_VERSION must be defined by the build: the library's version"
#endif

namespace cycle_python {

namespace {
// cycle.CycleError, set once at import by _set_cycle_error. It is never
// released: the module lives as long as the interpreter.
PyObject* cycle_error = nullptr;

void setCycleError(py::object type) {
    Py_XDECREF(cycle_error);
    cycle_error = type.release().ptr();
}
} // namespace

void raiseCycleError(const std::string& message, py::object cycle) {
    if (cycle_error == nullptr) {
        throw py::value_error(message);
    }
    py::tuple args = py::make_tuple(message, cycle);
    PyErr_SetObject(cycle_error, args.ptr());
    throw py::error_already_set();
}

} // namespace cycle_python

PYBIND11_MODULE(_cycle, m) {
    m.doc() = "The compiled half of the cycle package; use cycle, not cycle._cycle.";
    m.attr("__version__") = CYCLE_VERSION;
    m.def("_set_cycle_error", &cycle_python::setCycleError);
    cycle_python::bindLists(m);
    cycle_python::bindPeriod(m);
    cycle_python::bindMappings(m);
    cycle_python::bindGraphs(m);
    cycle_python::bindAcyclic(m);
    cycle_python::bindCollision(m);
}
