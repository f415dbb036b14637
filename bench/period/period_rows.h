// The period family's rows, registered in a fixed order by cycle_bench and
// timed by the paired rounds of common/rounds.h.
#ifndef CYCLE_BENCH_PERIOD_ROWS_H
#define CYCLE_BENCH_PERIOD_ROWS_H

// Periods of iterated functions: period/<kernel>/<function>/<bits>.
void registerPeriodRows();

#endif
