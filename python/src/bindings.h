// The parts of the module, one file each, and the one exception the module
// raises of its own: cycle.CycleError, defined in Python and handed in at
// import.
#ifndef CYCLE_PYTHON_BINDINGS_H
#define CYCLE_PYTHON_BINDINGS_H

#include <pybind11/pybind11.h>

#include <string>

namespace cycle_python {
namespace py = pybind11;

void bindLists(py::module_& m);
void bindPeriod(py::module_& m);
void bindMappings(py::module_& m);
void bindGraphs(py::module_& m);
void bindAcyclic(py::module_& m);
void bindCollision(py::module_& m);

// Raises cycle.CycleError(message, cycle) as a C++ throw that pybind11
// passes through unchanged.
[[noreturn]] void raiseCycleError(const std::string& message, py::object cycle);

} // namespace cycle_python

#endif
