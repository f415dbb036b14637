// Markers: about one element in 64, chosen by a hash of its number, that cut
// long paths into segments short enough to walk many at once. A path's
// next element is known only once the one before it is read, so one walk
// waits for a miss a step; SEGMENT_CURSORS segments walked in turn keep as
// many misses in flight. The mappings' cycles and the graphs' chains are
// cut so.
#ifndef CYCLE_DETAIL_MARKERS_H
#define CYCLE_DETAIL_MARKERS_H

#include "spread.h"

#include <cstdint>

namespace cycle {
namespace detail {

// Segments walked at once on one thread.
constexpr int SEGMENT_CURSORS = 32;

inline bool isMarker(uint64_t element) {
    return spreadKey(element) >> 58 == 0;
}

} // namespace detail
} // namespace cycle

#endif
