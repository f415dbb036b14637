// The short family's rows, registered in a fixed order by cycle_bench and
// timed by the paired rounds of common/rounds.h.
#ifndef CYCLE_BENCH_SHORT_ROWS_H
#define CYCLE_BENCH_SHORT_ROWS_H

// Short lists one after another: short/<kernel>/<layout>/<shape>/<n>.
void registerShortRows();

#endif
