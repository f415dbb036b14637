// has_cycle and find_cycle over linked Python objects: the library's list
// walks, with nodes compared by identity. They call next (or read .next),
// and so hold the GIL throughout.
#include "bindings.h"

#include <cycle/lists.h>

#include <vector>

namespace cycle_python {

namespace {

// The step the walks take: node -> next(node), or node.next where next is
// None; Python's None ends the list.
//
// The walks keep nodes by address, so a node must outlive the walk: a node
// that only this call holds (next built it afresh) is kept in `alive` until
// the call returns, lest another node take its address and look like a
// repeat. Nodes held elsewhere, as in a list linked by attributes, cost
// nothing.
struct Step {
    py::handle next;
    std::vector<py::object>* alive;

    const PyObject* operator()(const PyObject* node) const {
        py::handle current(const_cast<PyObject*>(node));
        py::object following = next.is_none() ? current.attr("next") : next(current);
        if (following.is_none()) {
            return nullptr;
        }
        PyObject* address = following.ptr();
        if (Py_REFCNT(address) == 1) {
            alive->push_back(std::move(following));
        }
        return address;
    }
};

bool hasCycle(py::object head, py::object next) {
    if (head.is_none()) {
        return false;
    }
    std::vector<py::object> alive;
    return cycle::hasCycle(static_cast<const PyObject*>(head.ptr()), Step{next, &alive});
}

// (entry, mu, lam); entry None for a linear list.
py::object findCycle(py::object head, py::object next) {
    if (head.is_none()) {
        return py::make_tuple(py::none(), 0, 0);
    }
    std::vector<py::object> alive;
    const cycle::Cycle<PyObject> found =
        cycle::findCycle(static_cast<const PyObject*>(head.ptr()), Step{next, &alive});
    py::object entry = found.entry == nullptr
                           ? py::none()
                           : py::reinterpret_borrow<py::object>(const_cast<PyObject*>(found.entry));
    return py::make_tuple(entry, found.mu, found.lambda);
}

} // namespace

void bindLists(py::module_& m) {
    m.def("has_cycle", &hasCycle, py::arg("head"), py::arg("next") = py::none());
    m.def("find_cycle", &findCycle, py::arg("head"), py::arg("next") = py::none());
}

} // namespace cycle_python
