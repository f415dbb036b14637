// The many family's rows, registered in a fixed order by cycle_bench and
// timed by the paired rounds of common/rounds.h.
#ifndef CYCLE_BENCH_MANY_ROWS_H
#define CYCLE_BENCH_MANY_ROWS_H

// Many lists at once: many/<walk|each>/<layout>/<lists>/g<in flight>[/t2].
void registerManyRows();

#endif
