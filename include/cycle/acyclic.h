// A directed graph kept acyclic while it grows one edge at a time: a lock
// order, a spreadsheet's references, a build's dependencies as they are
// read. An edge that would close a cycle is refused at once, the cycle
// named, and the graph left as it was. graph.h answers a whole graph at
// once; this is the graph kept while it changes. docs/library.md says how it
// works.
//
//     cycle::AcyclicGraph<> locks(3);
//     std::vector<uint32_t> loop;
//     locks.addEdge(0, 1);                 // lock 1 taken while 0 is held
//     locks.addEdge(1, 2);
//     if (!locks.addEdge(2, 0, loop)) {}   // loop is {2, 0, 1}: a deadlock
//
// The order, every vertex before all it reaches, is kept (Pearce and
// Kelly): an edge that agrees with it costs a lookup; one that does not
// searches only the vertices placed between its two ends, and moves only
// those it must.
#ifndef CYCLE_ACYCLIC_H
#define CYCLE_ACYCLIC_H

#include "detail/acyclic_search.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace cycle {

// A directed graph on vertices [0, size()) kept acyclic: an edge that would
// close a cycle is refused, and the graph stays as it was.
//   Requires: Vertex an integer type other than bool.
//   Costs:   addEdge: a lookup of the edge (a scan of from's out-edges up to
//            8 of them, else one expected probe of a table at most half
//            full), then nothing more where from already comes
//            before to in order(); else a search of the vertices whose
//            positions lie in the span between to's and from's: forward,
//            those to reaches, with their out-edges, and, unless that finds
//            from, backward, those that reach from, with their in-edges;
//            each set is then sorted by position and they swap places.
//            Where from has no in-edge (or to no out-edge), no cycle can
//            close: the one search stops past span / 8 + 16 vertices, and
//            from (or to) moves across the span instead, at one write of
//            the order and one of a position a vertex of the span. No
//            vertex outside the span is visited or moved. hasEdge: the lookup. removeEdge:
//            the lookup and the out-degree of from and the in-degree of to.
//            addVertex: amortized constant.
//   Memory:  per vertex, 3 sizeof(Vertex) + 52 bytes (the order both ways,
//            a parent, two std::vector headers and a mark), and up to 4
//            sizeof(Vertex) more for the largest search's span so far; per
//            edge, 2 sizeof(Vertex) in the adjacency lists (up to twice that
//            as they grow) and 2 to 4 slots of 2 sizeof(Vertex) + 1 bytes in
//            the edge table (16 slots at least).
//   Threads: none of its own. Not safe to share between threads without a
//            lock: even hasEdge and order() must not run beside a change.
//   Throws:  std::out_of_range for a vertex outside [0, size());
//            std::length_error where Vertex cannot name a new vertex;
//            std::bad_alloc, with the graph as it was.
template <typename Vertex = uint32_t> class AcyclicGraph {
    static_assert(std::is_integral<Vertex>::value && !std::is_same<Vertex, bool>::value,
                  "cycle::AcyclicGraph: the vertex type must be an integer type other than bool");

  public:
    // n vertices and no edge, in the order 0, 1, ..., n - 1.
    explicit AcyclicGraph(size_t n = 0) {
        detail::checkRoom<Vertex>("cycle::AcyclicGraph", n);
        order_.resize(n);
        for (size_t v = 0; v < n; v++) {
            order_[v] = static_cast<Vertex>(v);
        }
        position_ = order_;
        out_.resize(n);
        in_.resize(n);
        search_.mark.resize(n, 0);
        search_.parent.resize(n);
    }

    size_t size() const {
        return order_.size();
    }

    // A new vertex, size() - 1 after the call, placed last in the order.
    Vertex addVertex() {
        const size_t n = size();
        detail::checkRoom<Vertex>("cycle::AcyclicGraph::addVertex", n + 1);
        order_.reserve(n + 1);
        position_.reserve(n + 1);
        out_.reserve(n + 1);
        in_.reserve(n + 1);
        search_.mark.reserve(n + 1);
        search_.parent.reserve(n + 1);
        const Vertex v = static_cast<Vertex>(n);
        order_.push_back(v);
        position_.push_back(v);
        out_.emplace_back();
        in_.emplace_back();
        search_.mark.push_back(0);
        search_.parent.push_back(v);
        return v;
    }

    // Adds from -> to and returns true, unless to == from or to already
    // reaches from: then returns false and changes nothing. An edge already
    // present returns true and changes nothing.
    bool addEdge(Vertex from, Vertex to) {
        return add("cycle::AcyclicGraph::addEdge", from, to, nullptr);
    }

    // The same, and on refusal fills cycle with the cycle the edge would
    // close: from, then to, then the path back, each vertex with an edge to
    // the next and the last with one to from, all distinct ({from} for a
    // self-loop). On success cycle is left empty.
    bool addEdge(Vertex from, Vertex to, std::vector<Vertex>& cycle) {
        cycle.clear();
        return add("cycle::AcyclicGraph::addEdge", from, to, &cycle);
    }

    // Removes from -> to; false if there is no such edge. The order stays
    // valid as it is.
    bool removeEdge(Vertex from, Vertex to) {
        const char* who = "cycle::AcyclicGraph::removeEdge";
        detail::checkVertex(who, from, size());
        detail::checkVertex(who, to, size());
        if (!edges_.erase(from, to)) {
            return false;
        }
        dropOne(out_[detail::at(from)], to);
        dropOne(in_[detail::at(to)], from);
        return true;
    }

    bool hasEdge(Vertex from, Vertex to) const {
        const char* who = "cycle::AcyclicGraph::hasEdge";
        detail::checkVertex(who, from, size());
        detail::checkVertex(who, to, size());
        return holds(from, to);
    }

    // Every vertex once, each before every vertex it reaches; kept, not
    // computed, so the call costs nothing.
    const std::vector<Vertex>& order() const {
        return order_;
    }

  private:
    bool add(const char* who, Vertex from, Vertex to, std::vector<Vertex>* cycle) {
        detail::checkVertex(who, from, size());
        detail::checkVertex(who, to, size());
        if (from == to) {
            if (cycle != nullptr) {
                cycle->push_back(from);
            }
            return false;
        }
        if (holds(from, to)) {
            return true;
        }
        // Every allocation comes before the first change, so that
        // std::bad_alloc leaves the graph as it was.
        std::vector<Vertex>& successors = out_[detail::at(from)];
        std::vector<Vertex>& predecessors = in_[detail::at(to)];
        edges_.reserveOne();
        roomForOne(successors);
        roomForOne(predecessors);
        const size_t low = detail::at(position_[detail::at(to)]);
        const size_t high = detail::at(position_[detail::at(from)]);
        if (low < high && !reorder(from, to, low, high, cycle)) {
            return false;
        }
        edges_.insert(from, to);
        successors.push_back(to);
        predecessors.push_back(from);
        return true;
    }

    // Puts from before to, whose positions are high and low, moving only
    // what lies between; false, with nothing moved, if to reaches from.
    bool reorder(Vertex from, Vertex to, size_t low, size_t high, std::vector<Vertex>* cycle) {
        const size_t span = high - low + 1;
        search_.stack.reserve(span);
        search_.forward.reserve(span);
        search_.backward.reserve(span);
        search_.slots.reserve(span);
        detail::nextStamps(search_);
        using detail::Searched;
        const size_t unbounded = span;
        const size_t budget = span / 8 + 16;
        if (in_[detail::at(from)].empty()) {
            if (detail::searchForward(search_, out_, position_, from, to, budget) ==
                Searched::OVER_BUDGET) {
                detail::shiftDown(order_, position_, low, high);
                return true;
            }
            search_.backward.assign(1, from);
            search_.mark[detail::at(from)] = search_.stamp + 1;
        } else if (out_[detail::at(to)].empty()) {
            if (detail::searchBackward(search_, in_, position_, from, to, budget) ==
                Searched::OVER_BUDGET) {
                detail::shiftUp(order_, position_, low, high);
                return true;
            }
            search_.forward.assign(1, to);
            search_.mark[detail::at(to)] = search_.stamp;
        } else {
            if (detail::searchForward(search_, out_, position_, from, to, unbounded) ==
                Searched::FOUND) {
                if (cycle != nullptr) {
                    namePath(*cycle, from, to);
                }
                return false;
            }
            detail::searchBackward(search_, in_, position_, from, to, unbounded);
        }
        detail::swapSpans(search_, order_, position_, low, high);
        return true;
    }

    // from, to, and the forward tree's path from to back to from's parent.
    void namePath(std::vector<Vertex>& cycle, Vertex from, Vertex to) const {
        cycle.push_back(from);
        for (Vertex v = search_.parent[detail::at(from)]; v != to;
             v = search_.parent[detail::at(v)]) {
            cycle.push_back(v);
        }
        cycle.push_back(to);
        std::reverse(cycle.begin() + 1, cycle.end());
    }

    // Whether from -> to is an edge: a scan of from's successors where they
    // are few (a short list in one line costs less than a probe of the
    // table, which lies anywhere), the table's probe otherwise.
    bool holds(Vertex from, Vertex to) const {
        const std::vector<Vertex>& successors = out_[detail::at(from)];
        if (successors.size() <= SHORT_ROW) {
            return std::find(successors.begin(), successors.end(), to) != successors.end();
        }
        return edges_.contains(from, to);
    }

    // Rows up to this long are scanned rather than looked up.
    static constexpr size_t SHORT_ROW = 8;

    // Room for one more in list, grown geometrically as push_back would.
    static void roomForOne(std::vector<Vertex>& list) {
        if (list.size() == list.capacity()) {
            list.reserve(list.empty() ? 4 : 2 * list.size());
        }
    }

    static void dropOne(std::vector<Vertex>& list, Vertex v) {
        for (size_t i = 0; i < list.size(); i++) {
            if (list[i] == v) {
                list[i] = list.back();
                list.pop_back();
                return;
            }
        }
    }

    std::vector<Vertex> order_;    // position -> vertex
    std::vector<Vertex> position_; // vertex -> position
    std::vector<std::vector<Vertex>> out_;
    std::vector<std::vector<Vertex>> in_;
    detail::EdgeSet<Vertex> edges_;
    detail::SpanSearch<Vertex> search_;
};

} // namespace cycle

#endif
