// The mapping family's rows, registered in a fixed order by cycle_bench and
// timed by the paired rounds of common/rounds.h.
#ifndef CYCLE_BENCH_MAPPING_ROWS_H
#define CYCLE_BENCH_MAPPING_ROWS_H

// Whole mappings: mapping/<kernel>/<shape>/<m>[/t2].
void registerMappingRows();

#endif
