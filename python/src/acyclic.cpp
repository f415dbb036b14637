// cycle.AcyclicGraph: the library's AcyclicGraph<uint32_t>, with vertices
// taken as Python ints and checked here, so that a negative or huge one is
// an IndexError like any other vertex outside the graph.
#include "arrays.h"
#include "bindings.h"

#include <cycle/acyclic.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <stdexcept>

namespace cycle_python {

namespace {

using Graph = cycle::AcyclicGraph<uint32_t>;

uint32_t vertexOf(const Graph& graph, py::handle v, const char* who) {
    if (!PyLong_Check(v.ptr())) {
        throw py::type_error(std::string(who) + ": a vertex is an int, not " +
                             std::string(py::str(py::type::of(v).attr("__name__"))));
    }
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(v.ptr(), &overflow);
    if (overflow != 0 || value < 0 || static_cast<unsigned long long>(value) >= graph.size()) {
        throw std::out_of_range(std::string(who) + ": vertex " + std::string(py::str(v)) +
                                " is outside [0, " + std::to_string(graph.size()) + ")");
    }
    return static_cast<uint32_t>(value);
}

void addEdge(Graph& graph, py::handle from, py::handle to) {
    const char* who = "cycle.AcyclicGraph.add_edge";
    const uint32_t u = vertexOf(graph, from, who);
    const uint32_t w = vertexOf(graph, to, who);
    std::vector<uint32_t> cycle;
    if (!graph.addEdge(u, w, cycle)) {
        raiseCycleError("the edge " + std::to_string(u) + " -> " + std::to_string(w) +
                            " would close a cycle",
                        py::cast(cycle));
    }
}

} // namespace

void bindAcyclic(py::module_& m) {
    py::class_<Graph>(m, "AcyclicGraph",
                      R"(A directed graph on vertices [0, len(g)) kept acyclic: an edge that
would close a cycle is refused with CycleError, and the graph stays as it
was. Keeps an order of the vertices, each before all it reaches, and on a
new edge searches only the vertices placed between its two ends (Pearce
and Kelly). Vertices are ints; the graph holds at most 2^32 - 1. Memory: 64
to 80 bytes a vertex and 26 to 52 an edge. Not safe to share between threads
without a lock; each call holds the GIL. copy.copy gives a graph of its
own.)")
        .def(py::init([](int64_t n) {
                 if (n < 0) {
                     throw py::value_error("cycle.AcyclicGraph: n is " + std::to_string(n) +
                                           ", below 0");
                 }
                 return Graph(static_cast<size_t>(n));
             }),
             py::arg("n") = 0)
        .def("__len__", &Graph::size)
        .def("add_vertex", &Graph::addVertex, "Adds a vertex and returns it: len(g) - 1.")
        .def("add_edge", &addEdge, py::arg("u"), py::arg("v"),
             R"(Adds the edge u -> v, unless v reaches u or v == u: then raises
CycleError, whose .cycle is [u, v, ..., the last with an edge to u] ([u] for
a self-loop), and changes nothing. An edge present does nothing. Searches
only the vertices between v's and u's places in the order. IndexError for
a vertex outside the graph.)")
        .def(
            "remove_edge",
            [](Graph& graph, py::handle u, py::handle v) {
                const char* who = "cycle.AcyclicGraph.remove_edge";
                return graph.removeEdge(vertexOf(graph, u, who), vertexOf(graph, v, who));
            },
            py::arg("u"), py::arg("v"),
            "Removes u -> v; False if there is no such edge. The order stays as it is.")
        .def(
            "has_edge",
            [](const Graph& graph, py::handle u, py::handle v) {
                const char* who = "cycle.AcyclicGraph.has_edge";
                return graph.hasEdge(vertexOf(graph, u, who), vertexOf(graph, v, who));
            },
            py::arg("u"), py::arg("v"), "Whether u -> v is an edge.")
        .def_property_readonly(
            "order",
            [](const Graph& graph) { return toArray(std::vector<uint32_t>(graph.order())); },
            "Every vertex once, each before all it reaches: a uint32 array, a copy of the kept "
            "order.")
        .def("__copy__", [](const Graph& graph) { return Graph(graph); })
        .def("__deepcopy__", [](const Graph& graph, py::handle) { return Graph(graph); })
        .def("__repr__", [](const Graph& graph) {
            return "cycle.AcyclicGraph(" + std::to_string(graph.size()) + " vertices)";
        });
}

} // namespace cycle_python
