// The families of rows cycle_bench registers, each with its sets, kernels
// and runner in files of its own, all timed by the paired rounds of
// rounds.h. Each function registers its family's rows in a fixed order.
#ifndef CYCLE_BENCH_ROWS_H
#define CYCLE_BENCH_ROWS_H

// Single lists: <kernel>/<layout>/<shape>/<n>, and pages/<layout>/linear/<n>
// (list_rows.cpp).
void registerListRows();

// Many lists at once: many/<walk|each>/<layout>/<lists>/g<in flight>[/t2]
// (many_rows.cpp).
void registerManyRows();

// Short lists one after another: short/<kernel>/<layout>/<shape>/<n>
// (short_rows.cpp).
void registerShortRows();

// Periods of iterated functions: period/<kernel>/<function>/<bits>
// (period_rows.cpp).
void registerPeriodRows();

// Whole mappings: mapping/<kernel>/<shape>/<m>[/t2] (mapping_rows.cpp).
void registerMappingRows();

// Directed graphs: graph/<kernel>/<shape>/<n> (graph_rows.cpp).
void registerGraphRows();

#endif
