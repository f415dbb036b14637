// The many-lists rows' sets and kernels: the 1M-node set split into many
// lists, and the two ways over them, the floor walk and the library's
// check, each a small function written once over a counts record.
#ifndef CYCLE_BENCH_MANY_LISTS_H
#define CYCLE_BENCH_MANY_LISTS_H

#include "common/node_sets.h"
#include "step_counts.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The node set split into lists equal but for the last, as heads[i] leads to
// list i; odd lists are cyclic, their tails linked to positions spread over
// the list in a fixed pattern.
struct ManyLists {
    std::vector<const Node*> heads;
    std::vector<int64_t> lengths;
    std::vector<bool> cyclic;
};

// Splits order into count lists (1 <= count <= order.size()) and links them.
ManyLists linkMany(const std::vector<Node*>& order, int64_t count);

// The floor of lists checked in flight: walks the count lists heads[i] of
// lengths[i] nodes (count >= 0), in_flight at a time (1 <= in_flight <=
// cycle::detail::MOST_IN_FLIGHT) in one thread, each by its known length, a
// finished cursor taking the next list at once; returns how many lists did
// not end in nullptr, a value every load feeds.
template <typename Counts>
int64_t walkInFlight(const Node* const* heads, const int64_t* lengths, size_t count,
                     size_t in_flight, Counts& counts);

// Many lists, in_flight at a time in one thread, over lists [first, end):
// the floor walks each list by its known length, a finished cursor taking the
// next list at once; the check is cycle::hasCycleEach, its verdicts written
// to cyclic (indexed like the lists). The floor returns a value its loads
// feed, so that none is dropped.
template <typename Counts>
int64_t walkMany(const ManyLists& lists, size_t first, size_t end, size_t in_flight,
                 Counts& counts);
template <typename Counts>
void checkMany(const ManyLists& lists, size_t first, size_t end, size_t in_flight, bool* cyclic,
               Counts& counts);

#endif
