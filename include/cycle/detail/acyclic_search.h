// What AcyclicGraph keeps beside its adjacency lists, and the search
// between an edge's two ends that keeps its order (Pearce and Kelly, 2006).
//
// Invariant: position[order[i]] == i, and every edge u -> w has
// position[u] < position[w]. An edge from -> to with position[from] <
// position[to] keeps it as it is. Otherwise only the vertices whose
// positions lie in [position[to], position[from]] can be wrong: forward,
// those to reaches (none may be from: that would close a cycle); backward,
// those that reach from. Both sets are found by a search that never leaves
// that span, and they swap places: the backward set takes the lowest of
// their positions, in its own order, and the forward set the rest, in its
// own. No other vertex moves.
//
// Costs of one search: the vertices of the two sets, their out-edges
// (forward) and in-edges (backward), and a sort of each set by position.
// Where from has no predecessor (or to no successor), no cycle can close
// and one set is that vertex alone; the other set's search stops once it
// passes an eighth of the span, and the vertex moves across the span
// instead, every vertex between one place over: a sequential pass, cheaper
// a vertex than a search's step, so that a chain added from its far end
// costs the span, not a search of it and a sort.
// Memory: 4 bytes a vertex for the marks, one Vertex a vertex for the
// forward search's tree, and the two sets and the search's stack, each at
// most the span. No recursion: a chain of any length runs on any stack.
#ifndef CYCLE_DETAIL_ACYCLIC_SEARCH_H
#define CYCLE_DETAIL_ACYCLIC_SEARCH_H

#include "config.h"
#include "messages.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace cycle {
namespace detail {

// The graph's edges, for hasEdge and for refusing a repeated edge in one
// probe: an open-addressed table of (from, to) pairs, at most half full,
// probed linearly from a hash seeded per table, so that no fixed list of
// edges makes every graph's probes long. Erasing shifts the run back, so
// no tombstone lengthens a probe.
template <typename Vertex> class EdgeSet {
  public:
    size_t size() const {
        return count_;
    }

    bool contains(Vertex from, Vertex to) const {
        if (count_ == 0) {
            return false;
        }
        for (size_t slot = home(from, to);; slot = (slot + 1) & mask()) {
            if (!used_[slot]) {
                return false;
            }
            if (pairs_[slot].from == from && pairs_[slot].to == to) {
                return true;
            }
        }
    }

    // Makes room for one more pair, so that insert cannot fail; throws
    // std::bad_alloc with the set as it was.
    void reserveOne() {
        if (2 * (count_ + 1) > used_.size()) {
            grow();
        }
    }

    // Adds a pair known to be absent, after reserveOne.
    void insert(Vertex from, Vertex to) noexcept {
        size_t slot = home(from, to);
        while (used_[slot]) {
            slot = (slot + 1) & mask();
        }
        used_[slot] = 1;
        pairs_[slot] = {from, to};
        count_++;
    }

    // Removes the pair; false if absent.
    bool erase(Vertex from, Vertex to) noexcept {
        if (count_ == 0) {
            return false;
        }
        size_t slot = home(from, to);
        for (;; slot = (slot + 1) & mask()) {
            if (!used_[slot]) {
                return false;
            }
            if (pairs_[slot].from == from && pairs_[slot].to == to) {
                break;
            }
        }
        // Shift back every later pair of the run that may sit at the hole.
        for (size_t next = (slot + 1) & mask(); used_[next]; next = (next + 1) & mask()) {
            const size_t wanted = home(pairs_[next].from, pairs_[next].to);
            const bool between = slot <= next ? (slot < wanted && wanted <= next)
                                              : (slot < wanted || wanted <= next);
            if (!between) {
                pairs_[slot] = pairs_[next];
                slot = next;
            }
        }
        used_[slot] = 0;
        count_--;
        return true;
    }

  private:
    struct Pair {
        Vertex from;
        Vertex to;
    };

    static uint64_t mix(uint64_t x) {
        x ^= x >> 31;
        x *= 0x7FB5D329728EA185u;
        x ^= x >> 27;
        x *= 0x81DADEF4BC2DD44Du;
        return x ^ (x >> 33);
    }
    static uint64_t newSeed() {
        static std::atomic<uint64_t> tables{0};
        return mix(tables.fetch_add(1, std::memory_order_relaxed) + 0x9E3779B97F4A7C15u);
    }
    size_t mask() const {
        return used_.size() - 1;
    }
    size_t home(Vertex from, Vertex to) const {
        const uint64_t a = static_cast<uint64_t>(from);
        const uint64_t b = static_cast<uint64_t>(to);
        return static_cast<size_t>(mix(a * 0x9E3779B97F4A7C15u ^ mix(b ^ seed_))) & mask();
    }
    void grow() {
        const size_t capacity = used_.empty() ? 16 : 2 * used_.size();
        std::vector<uint8_t> used(capacity, 0);
        std::vector<Pair> pairs(capacity);
        used_.swap(used);
        pairs_.swap(pairs);
        count_ = 0;
        for (size_t slot = 0; slot < used.size(); slot++) {
            if (used[slot]) {
                insert(pairs[slot].from, pairs[slot].to);
            }
        }
    }

    std::vector<uint8_t> used_;
    std::vector<Pair> pairs_;
    size_t count_ = 0;
    uint64_t seed_ = newSeed();
};

// The search's memory, kept between calls so that a search allocates only
// when a span is the largest yet.
template <typename Vertex> struct SpanSearch {
    std::vector<uint32_t> mark; // a vertex's stamp: stamp for forward, stamp + 1 backward
    uint32_t stamp = 0;
    std::vector<Vertex> parent; // the forward tree, for the cycle
    std::vector<Vertex> stack;
    std::vector<Vertex> forward;
    std::vector<Vertex> backward;
    std::vector<Vertex> slots;
};

// The vertex v as a size_t.
template <typename Vertex> size_t at(Vertex v) {
    return static_cast<size_t>(static_cast<std::make_unsigned_t<Vertex>>(v));
}

// Fresh stamps for a search; the marks are cleared when they run out.
template <typename Vertex> uint32_t nextStamps(SpanSearch<Vertex>& search) {
    if (search.stamp >= std::numeric_limits<uint32_t>::max() - 3) {
        std::fill(search.mark.begin(), search.mark.end(), 0u);
        search.stamp = 0;
    }
    search.stamp += 2;
    return search.stamp;
}

// How a bounded search ended.
enum class Searched { ALL, FOUND, OVER_BUDGET };

// Forward from to, within positions up to bound (from's): fills
// search.forward with every vertex reached; FOUND, leaving search.parent as
// the tree, once from itself is reached; OVER_BUDGET once more than budget
// vertices were reached.
template <typename Vertex>
Searched searchForward(SpanSearch<Vertex>& search, const std::vector<std::vector<Vertex>>& out,
                       const std::vector<Vertex>& position, Vertex from, Vertex to, size_t budget) {
    const uint32_t stamp = search.stamp;
    const size_t bound = at(position[at(from)]);
    search.forward.clear();
    search.stack.clear();
    search.stack.push_back(to);
    search.mark[at(to)] = stamp;
    while (!search.stack.empty()) {
        const Vertex v = search.stack.back();
        search.stack.pop_back();
        search.forward.push_back(v);
        if (search.forward.size() > budget) {
            return Searched::OVER_BUDGET;
        }
        for (const Vertex w : out[at(v)]) {
            if (search.mark[at(w)] == stamp || at(position[at(w)]) > bound) {
                continue;
            }
            search.mark[at(w)] = stamp;
            search.parent[at(w)] = v;
            if (w == from) {
                return Searched::FOUND;
            }
            search.stack.push_back(w);
        }
    }
    return Searched::ALL;
}

// Backward from from, within positions from bound (to's) up: fills
// search.backward with every vertex that reaches from there; OVER_BUDGET
// once more than budget vertices were reached.
template <typename Vertex>
Searched searchBackward(SpanSearch<Vertex>& search, const std::vector<std::vector<Vertex>>& in,
                        const std::vector<Vertex>& position, Vertex from, Vertex to,
                        size_t budget) {
    const uint32_t stamp = search.stamp + 1;
    const size_t bound = at(position[at(to)]);
    search.backward.clear();
    search.stack.clear();
    search.stack.push_back(from);
    search.mark[at(from)] = stamp;
    while (!search.stack.empty()) {
        const Vertex v = search.stack.back();
        search.stack.pop_back();
        search.backward.push_back(v);
        if (search.backward.size() > budget) {
            return Searched::OVER_BUDGET;
        }
        for (const Vertex w : in[at(v)]) {
            if (search.mark[at(w)] == stamp || at(position[at(w)]) < bound) {
                continue;
            }
            search.mark[at(w)] = stamp;
            search.stack.push_back(w);
        }
    }
    return Searched::ALL;
}

// Moves v from position high down to low, every vertex between one place
// up: valid where v has no predecessor, as then nothing must precede it.
template <typename Vertex>
void shiftDown(std::vector<Vertex>& order, std::vector<Vertex>& position, size_t low, size_t high) {
    const Vertex v = order[high];
    for (size_t i = high; i > low; i--) {
        order[i] = order[i - 1];
        position[at(order[i])] = static_cast<Vertex>(i);
    }
    order[low] = v;
    position[at(v)] = static_cast<Vertex>(low);
}

// Moves v from position low up to high, every vertex between one place
// down: valid where v has no successor.
template <typename Vertex>
void shiftUp(std::vector<Vertex>& order, std::vector<Vertex>& position, size_t low, size_t high) {
    const Vertex v = order[low];
    for (size_t i = low; i < high; i++) {
        order[i] = order[i + 1];
        position[at(order[i])] = static_cast<Vertex>(i);
    }
    order[high] = v;
    position[at(v)] = static_cast<Vertex>(high);
}

// The backward set takes the lowest of both sets' positions, then the
// forward set the rest, each in its own order. The sets come in the order
// the searches met them: sorted by position where they are few against the
// span [low, high], and else listed in order by one pass over the span,
// which their marks tell apart (a sequential pass, cheaper than a sort
// once the sets hold more than an eighth of it).
template <typename Vertex>
void swapSpans(SpanSearch<Vertex>& search, std::vector<Vertex>& order,
               std::vector<Vertex>& position, size_t low, size_t high) {
    search.slots.clear();
    if (8 * (search.forward.size() + search.backward.size()) >= high - low + 1) {
        search.forward.clear();
        search.backward.clear();
        for (size_t i = low; i <= high; i++) {
            const Vertex v = order[i];
            const uint32_t mark = search.mark[at(v)];
            if (mark == search.stamp) {
                search.forward.push_back(v);
            } else if (mark == search.stamp + 1) {
                search.backward.push_back(v);
            } else {
                continue;
            }
            search.slots.push_back(static_cast<Vertex>(i));
        }
    } else {
        const auto earlier = [&position](Vertex a, Vertex b) {
            return position[at(a)] < position[at(b)];
        };
        std::sort(search.backward.begin(), search.backward.end(), earlier);
        std::sort(search.forward.begin(), search.forward.end(), earlier);
        // The two sets' positions merged, lowest first.
        size_t b = 0;
        size_t f = 0;
        while (b < search.backward.size() || f < search.forward.size()) {
            const bool take_backward =
                f == search.forward.size() ||
                (b < search.backward.size() && earlier(search.backward[b], search.forward[f]));
            const Vertex v = take_backward ? search.backward[b++] : search.forward[f++];
            search.slots.push_back(position[at(v)]);
        }
    }
    size_t i = 0;
    for (const Vertex v : search.backward) {
        position[at(v)] = search.slots[i];
        order[at(search.slots[i])] = v;
        i++;
    }
    for (const Vertex v : search.forward) {
        position[at(v)] = search.slots[i];
        order[at(search.slots[i])] = v;
        i++;
    }
}

// The throw of checkVertex, out of line so that the check inlines.
template <typename Vertex>
[[noreturn]] CYCLE_NOINLINE void badVertex(const char* who, Vertex v, size_t n) {
    throw std::out_of_range(std::string(who) + ": vertex " + integerText(v) + " is outside [0, " +
                            std::to_string(n) + ")");
}

// Throws std::out_of_range unless v names one of n vertices.
template <typename Vertex> inline void checkVertex(const char* who, Vertex v, size_t n) {
    if (CYCLE_RARELY((std::is_signed<Vertex>::value && v < Vertex{0}) || at(v) >= n)) {
        badVertex(who, v, n);
    }
}

// Throws std::length_error unless a Vertex can name every one of n
// vertices.
template <typename Vertex> void checkRoom(const char* who, size_t n) {
    if (!namesAll<Vertex>(n)) {
        throw std::length_error(unnamedText<Vertex>(who, n, "vertices", "vertex"));
    }
}

} // namespace detail
} // namespace cycle

#endif
