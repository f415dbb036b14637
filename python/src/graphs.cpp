// The graph functions over compressed rows (two integer arrays, each in its
// own dtype, read while the GIL is released) and over a mapping of Python
// vertices to their successors (numbered here, answered on rows of
// uint32_t, named back).
#include "arrays.h"
#include "bindings.h"

#include <cycle/graph.h>
#include <pybind11/stl.h>

#include <limits>

namespace cycle_python {

namespace {

// Calls f(offsets, targets, n) on the rows' memory, in their own types,
// once the offsets are known to lie within the targets.
template <typename F>
py::object onRows(py::handle offsets_like, py::handle targets_like, const char* who, F&& f) {
    const py::array offsets = integers(offsets_like, who, "offsets");
    const py::array targets = integers(targets_like, who, "targets");
    if (offsets.size() < 1) {
        throw py::value_error(std::string(who) +
                              ": offsets must hold n + 1 entries, and it is empty");
    }
    return withType(offsets.dtype(), [&](auto offset_type) -> py::object {
        using Offset = typename decltype(offset_type)::type;
        const auto rows = contiguous<Offset>(offsets);
        const size_t n = static_cast<size_t>(rows.size()) - 1;
        const Offset last = rows.data()[n];
        const size_t edges = static_cast<size_t>(targets.size());
        // The library checks that the offsets start at 0 or above and never
        // go down; whether the last lies within the targets only the caller
        // can know.
        if (last > Offset{0} && static_cast<uint64_t>(last) > edges) {
            throw py::value_error(std::string(who) + ": offsets[" + std::to_string(n) + "] is " +
                                  std::to_string(static_cast<uint64_t>(last)) + ", past the " +
                                  std::to_string(edges) + " targets");
        }
        return withType(targets.dtype(), [&](auto vertex_type) -> py::object {
            using Vertex = typename decltype(vertex_type)::type;
            const auto heads = contiguous<Vertex>(targets);
            return f(rows.data(), heads.data(), n);
        });
    });
}

py::object graphCycleRows(py::handle offsets, py::handle targets) {
    return onRows(offsets, targets, "cycle.find_graph_cycle",
                  [](const auto* rows, const auto* heads, size_t n) -> py::object {
                      using Vertex = ElementOf<decltype(heads)>;
                      std::vector<Vertex> cycle;
                      {
                          py::gil_scoped_release unlocked;
                          cycle = cycle::findGraphCycle(rows, heads, n);
                      }
                      return py::cast(cycle);
                  });
}

// (order, cycle): the order an array in the targets' dtype, the cycle a list.
py::object orderRows(py::handle offsets, py::handle targets) {
    return onRows(offsets, targets, "cycle.topological_order",
                  [](const auto* rows, const auto* heads, size_t n) -> py::object {
                      using Vertex = ElementOf<decltype(heads)>;
                      cycle::Order<Vertex> found;
                      {
                          py::gil_scoped_release unlocked;
                          found = cycle::topologicalOrder(rows, heads, n);
                      }
                      return py::make_tuple(toArray(std::move(found.order)), py::cast(found.cycle));
                  });
}

// (count, labels), the labels in the targets' dtype.
py::object componentsRows(py::handle offsets, py::handle targets) {
    return onRows(offsets, targets, "cycle.strongly_connected",
                  [](const auto* rows, const auto* heads, size_t n) -> py::object {
                      using Vertex = ElementOf<decltype(heads)>;
                      py::array_t<Vertex> labels(static_cast<py::ssize_t>(n));
                      Vertex* out = labels.mutable_data();
                      size_t count = 0;
                      {
                          py::gil_scoped_release unlocked;
                          count = cycle::stronglyConnected(rows, heads, n, out);
                      }
                      return py::make_tuple(count, labels);
                  });
}

// A mapping {vertex: successors} as rows: its keys numbered first, in the
// mapping's order, then the vertices named only as successors, as met.
struct Named {
    py::dict number;
    py::list names;
    std::vector<uint32_t> offsets;
    std::vector<uint32_t> targets;
};

uint32_t numberOf(Named& graph, py::handle vertex) {
    PyObject* known = PyDict_GetItemWithError(graph.number.ptr(), vertex.ptr());
    if (known != nullptr) {
        return static_cast<uint32_t>(PyLong_AsUnsignedLong(known));
    }
    if (PyErr_Occurred()) {
        throw py::error_already_set();
    }
    const size_t next = static_cast<size_t>(PyList_GET_SIZE(graph.names.ptr()));
    if (next > std::numeric_limits<uint32_t>::max() - 1) {
        throw py::value_error("cycle: a mapping of more than 2^32 - 1 vertices");
    }
    graph.number[vertex] = py::int_(next);
    graph.names.append(vertex);
    return static_cast<uint32_t>(next);
}

Named nameAll(py::handle mapping) {
    Named graph;
    const py::list items(mapping.attr("items")());
    for (py::handle item : items) {
        numberOf(graph, item.cast<py::tuple>()[0]);
    }
    graph.offsets.reserve(items.size() + 1);
    graph.offsets.push_back(0);
    for (py::handle item : items) {
        for (py::handle successor : py::iter(item.cast<py::tuple>()[1])) {
            graph.targets.push_back(numberOf(graph, successor));
        }
        graph.offsets.push_back(static_cast<uint32_t>(graph.targets.size()));
    }
    // Vertices named only as successors have no row of their own.
    graph.offsets.resize(graph.names.size() + 1, static_cast<uint32_t>(graph.targets.size()));
    return graph;
}

py::list namesOf(const Named& graph, const std::vector<uint32_t>& vertices) {
    py::list named(vertices.size());
    for (size_t i = 0; i < vertices.size(); i++) {
        named[i] = graph.names[vertices[i]];
    }
    return named;
}

py::object graphCycleMap(py::handle mapping) {
    const Named graph = nameAll(mapping);
    return namesOf(graph, cycle::findGraphCycle(graph.offsets.data(), graph.targets.data(),
                                                graph.names.size()));
}

py::object orderMap(py::handle mapping) {
    const Named graph = nameAll(mapping);
    const cycle::Order<uint32_t> found =
        cycle::topologicalOrder(graph.offsets.data(), graph.targets.data(), graph.names.size());
    return py::make_tuple(namesOf(graph, found.order), namesOf(graph, found.cycle));
}

py::object componentsMap(py::handle mapping) {
    const Named graph = nameAll(mapping);
    const size_t n = graph.names.size();
    std::vector<uint32_t> label(n);
    const size_t count =
        cycle::stronglyConnected(graph.offsets.data(), graph.targets.data(), n, label.data());
    py::dict labels;
    for (size_t v = 0; v < n; v++) {
        labels[graph.names[v]] = py::int_(label[v]);
    }
    return py::make_tuple(count, labels);
}

} // namespace

void bindGraphs(py::module_& m) {
    m.def("find_graph_cycle_rows", &graphCycleRows);
    m.def("topological_order_rows", &orderRows);
    m.def("strongly_connected_rows", &componentsRows);
    m.def("find_graph_cycle_map", &graphCycleMap);
    m.def("topological_order_map", &orderMap);
    m.def("strongly_connected_map", &componentsMap);
}

} // namespace cycle_python
