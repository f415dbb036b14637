// find_cycles and trace_all: a mapping given as an integer array, read in
// its own dtype while the GIL is released.
#include "arrays.h"
#include "bindings.h"

#include <cycle/mapping.h>

namespace cycle_python {

namespace {

unsigned threadCount(int64_t threads, const char* who) {
    if (threads < 0 || threads > 1024) {
        throw py::value_error(std::string(who) + ": threads is " + std::to_string(threads) +
                              ", not in [0, 1024]");
    }
    return static_cast<unsigned>(threads);
}

// Calls f(entries, m, threads) on next's memory, in its own type.
template <typename F>
py::object onTable(py::handle next_like, int64_t threads, const char* who, F&& f) {
    const unsigned count = threadCount(threads, who);
    const py::array next = integers(next_like, who, "next");
    return withType(next.dtype(), [&](auto type) -> py::object {
        using Index = typename decltype(type)::type;
        const auto table = contiguous<Index>(next);
        return f(table.data(), static_cast<size_t>(table.size()), count);
    });
}

// (leaders, lengths): the leaders in next's dtype, the lengths uint64.
py::object findCycles(py::handle next_like, int64_t threads) {
    return onTable(next_like, threads, "cycle.find_cycles",
                   [](const auto* entries, size_t m, unsigned count) -> py::object {
                       using Index = ElementOf<decltype(entries)>;
                       std::vector<cycle::Loop<Index>> loops;
                       {
                           py::gil_scoped_release unlocked;
                           loops = cycle::findCycles(entries, m, count);
                       }
                       py::array_t<Index> leaders(static_cast<py::ssize_t>(loops.size()));
                       py::array_t<uint64_t> lengths(static_cast<py::ssize_t>(loops.size()));
                       Index* leader = leaders.mutable_data();
                       uint64_t* length = lengths.mutable_data();
                       for (size_t i = 0; i < loops.size(); i++) {
                           leader[i] = loops[i].leader;
                           length[i] = loops[i].length;
                       }
                       return py::make_tuple(leaders, lengths);
                   });
}

// (end, distance, cycles, on_cycles, roots, longest), the arrays in next's
// dtype.
py::object traceAll(py::handle next_like, int64_t threads) {
    return onTable(next_like, threads, "cycle.trace_all",
                   [](const auto* entries, size_t m, unsigned count) -> py::object {
                       using Index = ElementOf<decltype(entries)>;
                       py::array_t<Index> end(static_cast<py::ssize_t>(m));
                       py::array_t<Index> distance(static_cast<py::ssize_t>(m));
                       Index* end_out = end.mutable_data();
                       Index* distance_out = distance.mutable_data();
                       cycle::MapSummary summary{};
                       {
                           py::gil_scoped_release unlocked;
                           summary = cycle::traceAll(entries, m, end_out, distance_out, count);
                       }
                       return py::make_tuple(end, distance, summary.cycles, summary.on_cycles,
                                             summary.roots, summary.longest);
                   });
}

} // namespace

void bindMappings(py::module_& m) {
    m.def("find_cycles", &findCycles, py::arg("next"), py::arg("threads") = 1);
    m.def("trace_all", &traceAll, py::arg("next"), py::arg("threads") = 1);
}

} // namespace cycle_python
