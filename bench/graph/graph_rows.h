// The graph family's rows, registered in a fixed order by cycle_bench and
// timed by the paired rounds of common/rounds.h.
#ifndef CYCLE_BENCH_GRAPH_ROWS_H
#define CYCLE_BENCH_GRAPH_ROWS_H

// Directed graphs: graph/<kernel>/<shape>/<n>.
void registerGraphRows();

#endif
