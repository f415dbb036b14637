#include "many/many_lists.h"

#include "cycle/detect.h"
#include "lists/list_kernels.h"

ManyLists linkMany(const std::vector<Node*>& order, int64_t count) {
    int64_t total = static_cast<int64_t>(order.size());
    int64_t length = total / count;
    ManyLists lists;
    for (int64_t list = 0; list < count; list++) {
        int64_t first = list * length;
        int64_t end = list + 1 == count ? total : first + length;
        for (int64_t i = first; i + 1 < end; i++) {
            order[i]->next = order[i + 1];
        }
        bool cyclic = list % 2 == 1;
        int64_t target = first + (list * 7919 % count) * (end - first) / count;
        order[end - 1]->next = cyclic ? order[target] : nullptr;
        lists.heads.push_back(order[first]);
        lists.lengths.push_back(end - first);
        lists.cyclic.push_back(cyclic);
    }
    return lists;
}

template <typename Counts>
int64_t walkInFlight(const Node* const* heads, const int64_t* lengths, size_t count,
                     size_t in_flight, Counts& counts) {
    const Node* cursors[cycle::detail::MOST_IN_FLIGHT];
    int64_t left[cycle::detail::MOST_IN_FLIGHT];
    size_t taken = 0;
    size_t active = 0;
    int64_t moves = 0;
    int64_t ends = 0;
    for (; active < in_flight && taken < count; active++, taken++) {
        cursors[active] = heads[taken];
        left[active] = lengths[taken];
    }
    while (active > 0) {
        for (size_t i = 0; i < active;) {
            cursors[i] = cursors[i]->next;
            cycle::detail::prefetchLine(cursors[i]);
            moves++;
            if (--left[i] > 0) {
                i++;
                continue;
            }
            ends += cursors[i] != nullptr;
            if (taken < count) {
                cursors[i] = heads[taken];
                left[i] = lengths[taken];
                taken++;
                i++;
            } else {
                active--;
                cursors[i] = cursors[active];
                left[i] = left[active];
            }
        }
    }
    countMoves(counts, moves, moves);
    return ends;
}

template <typename Counts>
int64_t walkMany(const ManyLists& lists, size_t first, size_t end, size_t in_flight,
                 Counts& counts) {
    return walkInFlight(lists.heads.data() + first, lists.lengths.data() + first, end - first,
                        in_flight, counts);
}

template <typename Counts>
void checkMany(const ManyLists& lists, size_t first, size_t end, size_t in_flight, bool* cyclic,
               Counts& counts) {
    auto next = nextLink;
    cycle::detail::checkEach(lists.heads.data() + first, end - first, next, cyclic + first,
                             in_flight, counts);
}

template int64_t walkInFlight(const Node* const*, const int64_t*, size_t, size_t, NoCounts&);
template int64_t walkInFlight(const Node* const*, const int64_t*, size_t, size_t, StepCounts&);
template int64_t walkMany(const ManyLists&, size_t, size_t, size_t, NoCounts&);
template int64_t walkMany(const ManyLists&, size_t, size_t, size_t, StepCounts&);
template void checkMany(const ManyLists&, size_t, size_t, size_t, bool*, NoCounts&);
template void checkMany(const ManyLists&, size_t, size_t, size_t, bool*, StepCounts&);
