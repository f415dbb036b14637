// The general graph libraries a user would otherwise reach for, each
// through its public interface, with its own graph built from the same
// edges (the build timed apart, as the kernel's prepare).
#include "graph/graph_kernels.h"

#include <vector>

#ifdef CYCLE_BENCH_HAVE_BGL
#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/strong_components.hpp>
#include <boost/graph/topological_sort.hpp>

#include <iterator>

namespace {

using BglGraph = boost::adjacency_list<boost::vecS, boost::vecS, boost::directedS>;

void* bglBuild(const Graph& g) {
    auto* built = new BglGraph(g.n);
    forEachEdge(g, [built](uint64_t u, uint32_t w) { boost::add_edge(u, w, *built); });
    return built;
}

void bglFree(void* built) {
    delete static_cast<BglGraph*>(built);
}

GraphFound bglTopo(const Graph& g, const void* prepared) {
    const BglGraph& built = *static_cast<const BglGraph*>(prepared);
    std::vector<size_t> order;
    order.reserve(g.n);
    try {
        boost::topological_sort(built, std::back_inserter(order));
    } catch (const boost::not_a_dag&) {
        return {false, 0};
    }
    return {true, 0};
}

GraphFound bglScc(const Graph& g, const void* prepared) {
    const BglGraph& built = *static_cast<const BglGraph*>(prepared);
    std::vector<size_t> component(g.n);
    return {false, static_cast<uint64_t>(boost::strong_components(
                       built, boost::make_iterator_property_map(
                                  component.begin(), boost::get(boost::vertex_index, built))))};
}

const GraphKernel BGL_TOPO = {"bgl_topo", ASKS_ORDER, bglTopo, bglBuild, bglFree};
const GraphKernel BGL_SCC = {"bgl_scc", ASKS_COMPONENTS, bglScc, bglBuild, bglFree};

} // namespace
#endif

#ifdef CYCLE_BENCH_HAVE_IGRAPH
#include <igraph/igraph.h>

namespace {

void* igraphBuild(const Graph& g) {
    static const bool quiet = [] {
        igraph_set_error_handler(igraph_error_handler_ignore);
        igraph_set_warning_handler(igraph_warning_handler_ignore);
        return true;
    }();
    (void)quiet;
    igraph_vector_int_t edges;
    igraph_vector_int_init(&edges, static_cast<igraph_integer_t>(2 * g.edges()));
    igraph_integer_t i = 0;
    forEachEdge(g, [&edges, &i](uint64_t u, uint32_t w) {
        VECTOR(edges)[i++] = static_cast<igraph_integer_t>(u);
        VECTOR(edges)[i++] = w;
    });
    auto* built = new igraph_t;
    igraph_create(built, &edges, static_cast<igraph_integer_t>(g.n), IGRAPH_DIRECTED);
    igraph_vector_int_destroy(&edges);
    return built;
}

void igraphFree(void* built) {
    igraph_destroy(static_cast<igraph_t*>(built));
    delete static_cast<igraph_t*>(built);
}

// igraph keeps what it learns of a graph (whether it is a DAG, among
// others) with the graph; each call forgets it first, so that every round
// does the work a first call does.
GraphFound igraphTopo(const Graph&, const void* prepared) {
    const igraph_t* built = static_cast<const igraph_t*>(prepared);
    igraph_invalidate_cache(built);
    igraph_bool_t dag = false;
    igraph_is_dag(built, &dag);
    if (!dag) {
        return {false, 0};
    }
    igraph_vector_int_t order;
    igraph_vector_int_init(&order, 0);
    const bool sorted = igraph_topological_sorting(built, &order, IGRAPH_OUT) == IGRAPH_SUCCESS;
    igraph_vector_int_destroy(&order);
    return {sorted, 0};
}

GraphFound igraphScc(const Graph&, const void* prepared) {
    const igraph_t* built = static_cast<const igraph_t*>(prepared);
    igraph_invalidate_cache(built);
    igraph_vector_int_t membership;
    igraph_vector_int_t sizes;
    igraph_vector_int_init(&membership, 0);
    igraph_vector_int_init(&sizes, 0);
    igraph_integer_t count = 0;
    igraph_connected_components(built, &membership, &sizes, &count, IGRAPH_STRONG);
    igraph_vector_int_destroy(&membership);
    igraph_vector_int_destroy(&sizes);
    return {false, static_cast<uint64_t>(count)};
}

const GraphKernel IGRAPH_TOPO = {"igraph_topo", ASKS_ORDER, igraphTopo, igraphBuild, igraphFree};
const GraphKernel IGRAPH_SCC = {"igraph_scc", ASKS_COMPONENTS, igraphScc, igraphBuild, igraphFree};

} // namespace
#endif

#ifdef CYCLE_BENCH_HAVE_LEMON
#include <lemon/connectivity.h>
#include <lemon/static_graph.h>

#include <utility>

namespace {

void* lemonBuild(const Graph& g) {
    std::vector<std::pair<int, int>> arcs;
    arcs.reserve(g.edges());
    forEachEdge(g, [&arcs](uint64_t u, uint32_t w) {
        arcs.push_back({static_cast<int>(u), static_cast<int>(w)});
    });
    auto* built = new lemon::StaticDigraph;
    built->build(static_cast<int>(g.n), arcs.begin(), arcs.end());
    return built;
}

void lemonFree(void* built) {
    delete static_cast<lemon::StaticDigraph*>(built);
}

GraphFound lemonTopo(const Graph&, const void* prepared) {
    const auto& built = *static_cast<const lemon::StaticDigraph*>(prepared);
    lemon::StaticDigraph::NodeMap<int> order(built);
    return {lemon::checkedTopologicalSort(built, order), 0};
}

GraphFound lemonScc(const Graph&, const void* prepared) {
    const auto& built = *static_cast<const lemon::StaticDigraph*>(prepared);
    lemon::StaticDigraph::NodeMap<int> component(built);
    return {false, static_cast<uint64_t>(lemon::stronglyConnectedComponents(built, component))};
}

const GraphKernel LEMON_TOPO = {"lemon_topo", ASKS_ORDER, lemonTopo, lemonBuild, lemonFree};
const GraphKernel LEMON_SCC = {"lemon_scc", ASKS_COMPONENTS, lemonScc, lemonBuild, lemonFree};

} // namespace
#endif

const GraphKernel* const GRAPH_PEERS[] = {
#ifdef CYCLE_BENCH_HAVE_BGL
    &BGL_TOPO,    &BGL_SCC,
#endif
#ifdef CYCLE_BENCH_HAVE_IGRAPH
    &IGRAPH_TOPO, &IGRAPH_SCC,
#endif
#ifdef CYCLE_BENCH_HAVE_LEMON
    &LEMON_TOPO,  &LEMON_SCC,
#endif
    nullptr};
const size_t GRAPH_PEER_COUNT = sizeof(GRAPH_PEERS) / sizeof(GRAPH_PEERS[0]) - 1;
