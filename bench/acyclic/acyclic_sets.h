// The acyclic family's workloads: sequences of edges added one at a time
// to a graph of n vertices, each made once from a fixed seed and kept.
#ifndef CYCLE_BENCH_ACYCLIC_SETS_H
#define CYCLE_BENCH_ACYCLIC_SETS_H

#include <cstdint>
#include <utility>
#include <vector>

enum AcyclicWorkload { RANDOM_DAG, MIXED, REVERSE_CHAIN, LOCK_ORDER };

// The edges from -> to in the order they are added.
struct EdgeTrace {
    uint32_t n;
    std::vector<std::pair<uint32_t, uint32_t>> edges;
};

// random_dag: 4n edges between random vertices, each pointing along a
// hidden random order, added in random order: every one is accepted.
// mixed: 2n edges between random vertices, each followed, somewhere later,
// by the edge back: about half are refused (every edge back of one taken,
// and some of the rest). reverse_chain: the path n-1 -> ... -> 0, added from its far end
// (1 -> 0 first), so that every edge moves much of the order. lock_order:
// a trace of nested acquisitions over n locks, each taken while up to three
// are held (an edge from each held lock), along n code paths that respect a
// hidden ranking, the busiest paths run most often, so that most edges
// repeat one already present; one path in 1,024 takes two of its locks the
// wrong way round, refused wherever the other paths already order them.
const EdgeTrace& edgeTrace(AcyclicWorkload workload, uint32_t n);

const char* acyclicWorkloadName(AcyclicWorkload workload);

#endif
