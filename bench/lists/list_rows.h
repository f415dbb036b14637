// The lists family's rows, registered in a fixed order by cycle_bench and
// timed by the paired rounds of common/rounds.h.
#ifndef CYCLE_BENCH_LIST_ROWS_H
#define CYCLE_BENCH_LIST_ROWS_H

// Single lists: <kernel>/<layout>/<shape>/<n>, and pages/<layout>/linear/<n>.
void registerListRows();

#endif
