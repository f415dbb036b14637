// A cycle or an order by two searches run against each other: a depth-first
// search from vertex 0, which wins on a graph whose cycle it meets early,
// and the count pass with Kahn's peel, which wins on an acyclic graph
// (its reads are known ahead, so their misses overlap). Each runs in turn
// for a slice of edges, RACE_SHARE (RACE_SHARE_FAR where the graph lies
// far) edges of the peel's to one of the search's, the slices doubling, so
// the race costs about the cheaper of the two plus a share of the other.
// The slices hang on n and the edge count alone: the same graph gives the
// same answer in every type.
//
// The search never reads a finished vertex again, and the peel never
// waits for one. They share one count a vertex: its
// low bits count in-edges, as the peel wants; the search marks a vertex
// ON_PATH or FINISHED in the two top bits, which no count reaches (counts
// stay below 2^30). Invariant:
// - the peel takes only vertices whose count is 0, bits and all, so never a
//   vertex the search has entered;
// - the search enters no vertex the peel has taken (after the seeding, a
//   count of 0 is a vertex taken); it cannot meet one along an edge, since
//   a vertex is taken only once every vertex with an edge to it was;
// - so the vertices the search has finished, F, are closed under
//   successors, and no edge runs from F to a peeled vertex. The search
//   writes F backwards from order[n - 1] as they finish (each after all its
//   successors), the peel forwards from order[0]: once every vertex is in
//   one or the other, order holds a topological order.
// A vertex on the search's path is never peeled, so the path can block the
// peel's front; then the search is taken back off its path (those rows are
// read again later) and the peel goes on. Once the front is empty with no
// path vertex to hand over, what is left holds a cycle, and the search
// alone goes on to find it.
// The search's cycle is checked before it is returned: the count pass has
// checked the targets before the edge it stands at, the rest are read once
// in order. A target out of range stops the search; the count pass then
// meets it and throws.
#ifndef CYCLE_DETAIL_GRAPH_RACE_H
#define CYCLE_DETAIL_GRAPH_RACE_H

#include "config.h"
#include "graph_chains.h"
#include "graph_peel.h"
#include "graph_rows.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace cycle {
namespace detail {

// One vertex on the search's path, and the next edge of its row to read.
struct Visit {
    size_t vertex;
    size_t edge;
};

// The edges the search reads first, before the peel's first slice.
constexpr size_t RACE_FIRST = 1024;
// Edges the count pass and the peel read to each edge of the search's.
// Near, the peel's steps cost least and the search's path keeps blocking
// its front, so the peel gets far more; far, the search asks for its
// successors ahead, and a larger share for it finds the cycle of a DAG with
// a mistake in it sooner than the peel would (measured on the bench's
// shapes at 2^18 and 2^22 with shares 2 to 64, AMD EPYC family 26 model 2:
// 8 kept every DAG under Kahn's queue).
constexpr size_t RACE_SHARE = 64;
constexpr size_t RACE_SHARE_FAR = 8;
// Far, on rows this sparse (fewer edges a vertex) the search waits for a
// miss an edge and asks ahead for little, while the count pass reads in
// order: the peel keeps its near share. A chain's search would otherwise
// cost it more than the contracted peel.
constexpr size_t SPARSE_ROWS = 2;
// A vertex the search enters costs it as many edges: pushing it on the
// path and finishing it, where the peel only appends it.
constexpr size_t RACE_ENTER = 4;

// How many successors of a vertex just entered have their state and row
// asked for ahead, where the graph lies far.
constexpr size_t RACE_ENTER_AHEAD = 8;

// How the race ended.
enum class RaceEnd { CYCLE, ORDER };

// The race's state over rows whose offsets are checked.
template <typename Count, typename Vertex, typename Offset> struct Race {
    static constexpr Count ON_PATH = Count{1} << (8 * sizeof(Count) - 1);
    static constexpr Count FINISHED = Count{1} << (8 * sizeof(Count) - 2);

    const Rows<Vertex, Offset>& rows;
    Count* counts;
    Vertex* order;
    std::vector<Visit> path;
    size_t start = 0;
    size_t finished = 0;
    // A target out of range stopped the search.
    bool stopped = false;
    // The count pass stands at edge counted; once it is through, the peel
    // is seeded and its front is peeled.
    size_t counted;
    bool seeded = false;
    PeelFront front{0, 0};
    // The peel runs on the contracted chains, and the search waits for it.
    bool contracted = false;
    Chains<Count> chains;

    Race(const Rows<Vertex, Offset>& r, Count* c, Vertex* o)
        : rows(r), counts(c), order(o), counted(r.begin(0)) {
        for (size_t v = 0; v < rows.n; v++) {
            counts[v] = 0;
        }
    }
};

// Runs the search until it has read budget edges (returns false), or found
// a cycle (written to cycle) or finished every vertex not peeled (both
// true; cycle empty for the second). *read gains the edges read.
template <bool Ahead, typename Count, typename Vertex, typename Offset>
bool searchSome(Race<Count, Vertex, Offset>& race, size_t budget, size_t* read,
                std::vector<Vertex>& cycle) {
    using R = Race<Count, Vertex, Offset>;
    const Rows<Vertex, Offset>& rows = race.rows;
    Count* counts = race.counts;
    const size_t n = rows.n;
    std::vector<Visit>& path = race.path;
    size_t spent = 0;
    for (;;) {
        if (CYCLE_RARELY(path.empty())) {
            size_t s = race.start;
            while (s < n && ((counts[s] & R::FINISHED) != 0 || (race.seeded && counts[s] == 0))) {
                s++;
            }
            race.start = s;
            if (s == n) {
                *read += spent;
                cycle.clear();
                return true;
            }
            counts[s] |= R::ON_PATH;
            path.push_back({s, rows.begin(s)});
        }
        Visit& top = path.back();
        if (CYCLE_RARELY(top.edge == rows.end(top.vertex))) {
            counts[top.vertex] ^= R::ON_PATH | R::FINISHED;
            race.order[n - 1 - race.finished++] = static_cast<Vertex>(top.vertex);
            path.pop_back();
            continue;
        }
        if (CYCLE_RARELY(spent >= budget)) {
            *read += spent;
            return false;
        }
        if (CYCLE_RARELY(!isVertex(rows.targets[top.edge], n))) {
            race.stopped = true;
            *read += spent;
            return false;
        }
        spent++;
        const size_t w = rows.target(top.edge++);
        const Count state = counts[w];
        if ((state & R::FINISHED) != 0) {
            continue;
        }
        if (CYCLE_RARELY((state & R::ON_PATH) != 0)) {
            size_t from = path.size() - 1;
            while (path[from].vertex != w) {
                from--;
            }
            cycle.clear();
            cycle.reserve(path.size() - from);
            for (size_t i = from; i < path.size(); i++) {
                cycle.push_back(static_cast<Vertex>(path[i].vertex));
            }
            *read += spent;
            return true;
        }
        counts[w] = state | R::ON_PATH;
        const size_t b = rows.begin(w);
        path.push_back({w, b});
        spent += RACE_ENTER;
        if (Ahead) {
            // The successors' states and rows are asked for together, so
            // that their misses overlap rather than wait one by one.
            const size_t e = rows.end(w);
            for (size_t i = b; i < e && i < b + RACE_ENTER_AHEAD; i++) {
                const size_t next = rows.target(i);
                if (next < n) {
                    prefetchLine(counts + next);
                    prefetchLine(rows.offsets + next);
                }
            }
        }
    }
}

// Once the count pass is through, contracts the graph's chains where it has
// enough of them. The search is taken back off its path first, so that its
// vertices may be chain vertices, and waits until the contracted peel is
// through: it would otherwise enter a segment the peel takes whole.
template <typename Count, typename Vertex, typename Offset>
void startChains(Race<Count, Vertex, Offset>& race) {
    using R = Race<Count, Vertex, Offset>;
    const size_t markers = chainMarkers(race.rows, race.counts);
    if (markers == 0) {
        return;
    }
    for (const Visit& visit : race.path) {
        race.counts[visit.vertex] &= ~R::ON_PATH;
        if (race.counts[visit.vertex] == 0) {
            race.order[race.front.tail++] = static_cast<Vertex>(visit.vertex);
        }
    }
    race.path.clear();
    contractChains(race.rows, race.counts, race.chains, markers);
    race.contracted = true;
}

// Runs the count pass, then the peel, until they have read budget edges
// (returns false) or the peel's front is empty (true). *read gains the
// edges read.
template <bool Ahead, typename Count, typename Vertex, typename Offset>
bool peelSome(const char* who, Race<Count, Vertex, Offset>& race, size_t budget, size_t* read) {
    const Rows<Vertex, Offset>& rows = race.rows;
    if (!race.seeded) {
        const size_t last = rows.begin(rows.n);
        const size_t to = last - race.counted > budget ? race.counted + budget : last;
        countTargetsOf<Ahead>(who, rows, race.counts, race.counted, to);
        *read += to - race.counted;
        budget -= to - race.counted;
        race.counted = to;
        if (to < last) {
            return false;
        }
        race.front = seedPeel(race.counts, rows.n, race.order);
        race.seeded = true;
        if (Ahead) {
            startChains(race);
        }
    }
    const size_t head = race.front.head;
    if (race.contracted) {
        *read +=
            peelContracted<Ahead>(rows, race.counts, race.order, race.front, budget, race.chains);
        *read += race.front.head - head;
        if (race.front.head < race.front.tail) {
            return false;
        }
        expandChains(rows, race.counts, race.order, race.front, race.chains,
                     rows.n - race.finished);
        race.contracted = false;
        return true;
    }
    *read += peelRows<Ahead>(rows, race.counts, race.order, race.front, budget);
    *read += race.front.head - head;
    return race.front.head == race.front.tail;
}

// When the peel's front is empty while the search has a path, the path may
// be what blocks it: a vertex on it is never peeled. Takes the search back
// off its path, unmarking each vertex and handing to the peel those whose
// count is 0, if there is one; returns whether there was. If none is, the
// path stays: the peel is blocked by cycles, and only the search goes on.
template <typename Count, typename Vertex, typename Offset>
bool unblockPeel(Race<Count, Vertex, Offset>& race) {
    using R = Race<Count, Vertex, Offset>;
    Count* counts = race.counts;
    bool blocked = false;
    for (const Visit& visit : race.path) {
        blocked |= counts[visit.vertex] == R::ON_PATH;
    }
    if (!blocked) {
        return false;
    }
    for (const Visit& visit : race.path) {
        counts[visit.vertex] &= ~R::ON_PATH;
        if (counts[visit.vertex] == 0) {
            race.order[race.front.tail++] = static_cast<Vertex>(visit.vertex);
        }
    }
    race.path.clear();
    return true;
}

// Races the search and the peel over rows; on a cycle writes it to cycle,
// else leaves order holding a topological order. Throws
// std::invalid_argument for a target out of range.
template <bool Ahead, typename Count, typename Vertex, typename Offset>
RaceEnd raceRows(const char* who, const Rows<Vertex, Offset>& rows, Count* counts, Vertex* order,
                 std::vector<Vertex>& cycle) {
    Race<Count, Vertex, Offset> race(rows, counts, order);
    const size_t edges = rows.begin(rows.n) - rows.begin(0);
    const size_t share = Ahead && edges >= SPARSE_ROWS * rows.n ? RACE_SHARE_FAR : RACE_SHARE;
    size_t searched = 0;
    size_t peeled = 0;
    size_t goal = RACE_FIRST;
    bool peel_done = false;
    for (;;) {
        if (!race.stopped && !race.contracted) {
            const size_t budget = peel_done ? SIZE_MAX : goal - searched;
            if (searchSome<Ahead>(race, budget, &searched, cycle)) {
                if (cycle.empty()) {
                    // Every vertex finished or peeled: every edge was read by
                    // the search, or by the peel after the count pass.
                    return RaceEnd::ORDER;
                }
                checkTargets(who, rows, race.counted);
                return RaceEnd::CYCLE;
            }
        }
        if (!peel_done) {
            const size_t goal_peeled = goal * share;
            const size_t budget = race.stopped || race.contracted ? SIZE_MAX
                                  : goal_peeled > peeled          ? goal_peeled - peeled
                                                                  : 0;
            // A path that blocks the peel is taken back at once, and the
            // peel goes on with what is left of its slice.
            const size_t slice_end = budget > SIZE_MAX - peeled ? SIZE_MAX : peeled + budget;
            for (;;) {
                const size_t left = slice_end > peeled ? slice_end - peeled : 0;
                if (!peelSome<Ahead>(who, race, left, &peeled)) {
                    break;
                }
                if (!unblockPeel(race)) {
                    peel_done = true;
                    break;
                }
            }
            if (peel_done && race.front.tail + race.finished == rows.n) {
                return RaceEnd::ORDER;
            }
        }
        goal *= 2;
    }
}

template <typename Count, typename Vertex, typename Offset>
RaceEnd race(const char* who, const Rows<Vertex, Offset>& rows, Count* counts, Vertex* order,
             std::vector<Vertex>& cycle) {
    return liesFar(rows) ? raceRows<true>(who, rows, counts, order, cycle)
                         : raceRows<false>(who, rows, counts, order, cycle);
}

} // namespace detail
} // namespace cycle

#endif
