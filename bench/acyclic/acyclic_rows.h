// The acyclic family's rows, registered in a fixed order by cycle_bench and
// timed by the paired rounds of common/rounds.h.
#ifndef CYCLE_BENCH_ACYCLIC_ROWS_H
#define CYCLE_BENCH_ACYCLIC_ROWS_H

// Graphs kept acyclic edge by edge: acyclic/<kernel>/<workload>/<n>.
void registerAcyclicRows();

#endif
