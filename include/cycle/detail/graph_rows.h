// A directed graph in compressed rows, checked once before any search reads
// it, and the same rows copied from a callable that lists each vertex's
// successors.
//
// Invariant after checkOffsets and countTargets: offsets[0] >= 0, offsets never go down, every
// target in [offsets[0], offsets[n]) lies in [0, n), and n - 1 fits the
// vertex type. The searches then read targets without a bound check and
// index their own arrays by target directly.
#ifndef CYCLE_DETAIL_GRAPH_ROWS_H
#define CYCLE_DETAIL_GRAPH_ROWS_H

#include "config.h"
#include "messages.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace cycle {
namespace detail {

// A set of vertices, a bit each.
struct VertexBits {
    std::unique_ptr<uint64_t[]> words;

    explicit VertexBits(size_t n) : words(new uint64_t[n / 64 + 1]()) {}
    bool has(size_t v) const {
        return (words[v >> 6] >> (v & 63) & 1) != 0;
    }
    void add(size_t v) {
        words[v >> 6] |= uint64_t{1} << (v & 63);
    }
};

// The rows of a checked graph, read as unsigned positions and vertices.
template <typename Vertex, typename Offset> struct Rows {
    const Offset* offsets;
    const Vertex* targets;
    size_t n;

    size_t begin(size_t v) const {
        return static_cast<size_t>(offsets[v]);
    }
    size_t end(size_t v) const {
        return static_cast<size_t>(offsets[v + 1]);
    }
    size_t target(size_t e) const {
        return static_cast<size_t>(static_cast<std::make_unsigned_t<Vertex>>(targets[e]));
    }
    // The lines that begin(v) and target(e) read, to ask for ahead.
    const void* rowLine(size_t v) const {
        return offsets + v;
    }
    const void* edgeLine(size_t e) const {
        return targets + e;
    }
};

// Whether value, of any integer type, lies in [0, n).
template <typename T> bool isVertex(T value, size_t n) {
    static_assert(std::is_integral<T>::value, "vertices are integers");
    if (std::is_signed<T>::value && value < T{0}) {
        return false;
    }
    return static_cast<unsigned long long>(value) < n;
}

[[noreturn]] inline void badSuccessor(const char* who, const std::string& vertex,
                                      const std::string& value, size_t n) {
    throw std::invalid_argument(std::string(who) + ": vertex " + vertex + " has successor " +
                                value + ", outside [0, " + std::to_string(n) + ")");
}

// Whether the graph functions take Vertex: any integer type but bool, whose
// one value past 0 names no count of vertices. The public functions check it
// first, so that another type reads as one line.
template <typename Vertex>
constexpr bool GRAPH_VERTEX = std::is_integral<Vertex>::value && !std::is_same<Vertex, bool>::value;

// Throws unless every vertex of [0, n) can be named by a Vertex.
template <typename Vertex> void checkCount(const char* who, size_t n) {
    if (!namesAll<Vertex>(n)) {
        throw std::invalid_argument(unnamedText<Vertex>(who, n, "vertices", "vertex"));
    }
}

// The vertex whose row holds edge position e of checked offsets: the last v
// with offsets[v] <= e. Only for messages.
template <typename Offset> size_t rowHolding(const Offset* offsets, size_t n, size_t e) {
    size_t low = 0;
    size_t high = n;
    while (high - low > 1) {
        const size_t middle = low + (high - low) / 2;
        if (static_cast<size_t>(offsets[middle]) <= e) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return low;
}

// Whether arrays of this many bytes lie beyond the caches nearest the core,
// where asking for lines ahead pays; within them the requests only cost
// instructions (measured: the peel of a random DAG gains from 2^18 vertices
// on, and loses a little at 2^14 and below).
constexpr size_t FAR_BYTES = size_t{2} << 20;

// Whether the graph's rows, a count and an order entry a vertex reach past
// FAR_BYTES, each entry and each edge counted at 4 bytes whatever the
// types: the choice hangs on the vertices and edges alone, so that the same
// graph is searched the same way (and gives the same cycle) in every type
// and through the ...Of forms.
template <typename Vertex, typename Offset> bool liesFar(const Rows<Vertex, Offset>& rows) {
    const size_t entries = 3 * rows.n + (rows.begin(rows.n) - rows.begin(0));
    return entries > FAR_BYTES / 4;
}

// How far ahead the count pass asks for a target's count: far enough that
// the misses of a few dozen edges overlap.
constexpr size_t COUNT_AHEAD = 32;

// Checks that n - 1 fits the vertex type and that the offsets start at 0 or
// above and never go down, reading offsets[0, n] once in order. Throws
// std::invalid_argument naming the vertex and the values at the first fault.
template <typename Vertex, typename Offset>
void checkOffsets(const char* who, const Offset* offsets, size_t n) {
    checkCount<Vertex>(who, n);
    if (std::is_signed<Offset>::value && offsets[0] < Offset{0}) {
        throw std::invalid_argument(std::string(who) + ": offsets[0] is " +
                                    integerText(offsets[0]) + ", below 0");
    }
    // One pass with no exit, which the compiler can widen; the first fault
    // is looked for only when there is one.
    bool down = false;
    for (size_t v = 0; v < n; v++) {
        down |= offsets[v + 1] < offsets[v];
    }
    for (size_t v = 0; CYCLE_RARELY(down) && v < n; v++) {
        if (offsets[v + 1] < offsets[v]) {
            throw std::invalid_argument(
                std::string(who) + ": offsets go down at vertex " + std::to_string(v) +
                ": offsets[" + std::to_string(v) + "] is " + integerText(offsets[v]) +
                ", offsets[" + std::to_string(v + 1) + "] is " + integerText(offsets[v + 1]));
        }
    }
}

// Checks the targets of edges [from, to) of rows (whose offsets are
// checked) and adds each to its vertex's count, reading every target once in
// order, and, Ahead, once more COUNT_AHEAD edges before its turn, to ask for
// its count's line. Throws std::invalid_argument naming the vertex and the
// value at the first target outside [0, n).
template <bool Ahead, typename Count, typename Vertex, typename Offset>
void countTargetsOf(const char* who, const Rows<Vertex, Offset>& rows, Count* counts, size_t from,
                    size_t to) {
    const size_t n = rows.n;
    const size_t last = rows.begin(n);
    for (size_t e = from; e < to; e++) {
        if (CYCLE_RARELY(!isVertex(rows.targets[e], n))) {
            badSuccessor(who, std::to_string(rowHolding(rows.offsets, n, e)),
                         integerText(rows.targets[e]), n);
        }
        if (Ahead && e + COUNT_AHEAD < last) {
            // An unchecked target ahead may be wild; its count's address is
            // formed only inside [0, n). Reading it here, from a line the
            // pass has just brought in, cost less than keeping the targets
            // read ahead in a ring (measured: a DAG of 2^22 vertices 1.3x
            // slower with the ring, AMD EPYC family 25 model 1).
            const size_t ahead = rows.target(e + COUNT_AHEAD);
            prefetchLine(counts + (ahead < n ? ahead : 0));
        }
        counts[rows.target(e)]++;
    }
}

// Checks every target and writes each vertex's in-degree to counts[0, n).
template <typename Count, typename Vertex, typename Offset>
void countTargets(const char* who, const Rows<Vertex, Offset>& rows, Count* counts) {
    for (size_t v = 0; v < rows.n; v++) {
        counts[v] = 0;
    }
    if (liesFar(rows)) {
        countTargetsOf<true>(who, rows, counts, rows.begin(0), rows.begin(rows.n));
    } else {
        countTargetsOf<false>(who, rows, counts, rows.begin(0), rows.begin(rows.n));
    }
}

// The check compares targets a vector of CHECK_BYTES at a time, the width
// every x86-64 and AArch64 has, CHECK_VECTORS vectors a step.
constexpr size_t CHECK_BYTES = 16;
constexpr size_t CHECK_VECTORS = 4;

// Checks the targets of edges [first, offsets[n]) of rows (whose offsets
// are checked) in one read in order, with no other work, for an answer found
// before the count pass has checked them.
template <typename Vertex, typename Offset>
void checkTargets(const char* who, const Rows<Vertex, Offset>& rows, size_t first) {
    using Unsigned = std::make_unsigned_t<Vertex>;
    const size_t last = rows.begin(rows.n);
    // A target as unsigned is above n - 1 exactly when it lies outside
    // [0, n): a negative one comes out at n or above, since n - 1 fits
    // Vertex.
    const Unsigned largest = static_cast<Unsigned>(rows.n - 1);
    size_t e = first;
    bool bad = false;
#if CYCLE_GNU_BUILTINS
    // A vector of lanes at a time, compared all at once. The compare is a
    // signed one, which every x86-64 has, on values with their top bit
    // flipped: the same order as the unsigned one.
    using Signed = std::make_signed_t<Unsigned>;
    typedef Signed Lanes __attribute__((vector_size(CHECK_BYTES)));
    constexpr size_t LANES = sizeof(Lanes) / sizeof(Signed);
    const Unsigned top = static_cast<Unsigned>(Unsigned{1} << (8 * sizeof(Unsigned) - 1));
    const Lanes flip = Lanes{} + static_cast<Signed>(top);
    const Lanes limit = Lanes{} + static_cast<Signed>(largest ^ top);
    Lanes over = {};
    for (; last - e >= CHECK_VECTORS * LANES; e += CHECK_VECTORS * LANES) {
        Lanes chunk[CHECK_VECTORS];
        std::memcpy(&chunk, rows.targets + e, sizeof chunk);
        for (size_t i = 0; i < CHECK_VECTORS; i++) {
            over |= (chunk[i] ^ flip) > limit;
        }
    }
    for (size_t lane = 0; lane < LANES; lane++) {
        bad |= over[lane] != 0;
    }
#endif
    for (; e < last; e++) {
        bad |= static_cast<Unsigned>(rows.targets[e]) > largest;
    }
    if (CYCLE_RARELY(bad)) {
        for (size_t e = first; e < last; e++) {
            if (!isVertex(rows.targets[e], rows.n)) {
                badSuccessor(who, std::to_string(rowHolding(rows.offsets, rows.n, e)),
                             integerText(rows.targets[e]), rows.n);
            }
        }
    }
}

// A graph given by a callable, copied into compressed rows of its own.
template <typename Vertex> struct CopiedRows {
    std::unique_ptr<size_t[]> offsets;
    std::unique_ptr<Vertex[]> targets;
    size_t n;
};

// The copy gathers targets in blocks of this many, never moved or cleared
// before use, then into one array of the exact size: growing a vector cost
// more than the search itself (its clearing, copying and fresh pages).
constexpr size_t COPY_BLOCK = size_t{1} << 16;

// Calls successors(v) once for each v in [0, n), in order, and copies what
// each returns. Throws std::invalid_argument for a negative n or a successor
// outside [0, n), naming the vertex and the value, and whatever successors
// throws.
template <typename Vertex, typename Successors>
CopiedRows<Vertex> copyRows(const char* who, Vertex n, Successors& successors) {
    static_assert(std::is_integral<Vertex>::value, "vertices are integers");
    if (std::is_signed<Vertex>::value && n < Vertex{0}) {
        throw std::invalid_argument(std::string(who) + ": the vertex count is " + integerText(n) +
                                    ", below 0");
    }
    const size_t count = static_cast<size_t>(n);
    CopiedRows<Vertex> rows{std::unique_ptr<size_t[]>(new size_t[count + 1]), nullptr, count};
    std::vector<std::unique_ptr<Vertex[]>> blocks;
    Vertex* block = nullptr;
    size_t filled = 0;
    for (size_t v = 0; v < count; v++) {
        rows.offsets[v] = filled;
        auto&& range = successors(static_cast<Vertex>(v));
        for (auto&& w : range) {
            if (CYCLE_RARELY(!isVertex(w, count))) {
                badSuccessor(who, std::to_string(v), integerText(w), count);
            }
            if (CYCLE_RARELY(filled % COPY_BLOCK == 0)) {
                // Owned before the list grows, so that its growth failing
                // frees the block.
                std::unique_ptr<Vertex[]> fresh(new Vertex[COPY_BLOCK]);
                blocks.push_back(std::move(fresh));
                block = blocks.back().get();
            }
            block[filled++ % COPY_BLOCK] = static_cast<Vertex>(w);
        }
    }
    rows.offsets[count] = filled;
    rows.targets.reset(new Vertex[filled > 0 ? filled : 1]);
    for (size_t i = 0; i < blocks.size(); i++) {
        const size_t first = i * COPY_BLOCK;
        const size_t size = filled - first < COPY_BLOCK ? filled - first : COPY_BLOCK;
        std::copy(blocks[i].get(), blocks[i].get() + size, rows.targets.get() + first);
        blocks[i].reset();
    }
    return rows;
}

} // namespace detail
} // namespace cycle

#endif
