// What a detector reports of its own work. Every detector is written once, as
// a template over a tally record; the public functions pass NoTally, whose
// hooks compile to nothing. A caller that wants the counts passes a record of
// its own and overloads the two hooks for it, found by argument-dependent
// lookup.
#ifndef CYCLE_DETAIL_TALLY_H
#define CYCLE_DETAIL_TALLY_H

#include <cstdint>

namespace cycle {
namespace detail {

struct NoTally {};

// moves calls of next in all, chain of them on the longest dependent chain.
inline void countMoves(NoTally&, int64_t, int64_t) {}

// The detector now holds entries entries of its own memory.
inline void countEntries(NoTally&, int64_t) {}

} // namespace detail
} // namespace cycle

#endif
