// The collision family's rows, registered in a fixed order by cycle_bench
// and timed by the paired rounds of common/rounds.h.
#ifndef CYCLE_BENCH_COLLISION_ROWS_H
#define CYCLE_BENCH_COLLISION_ROWS_H

// Collisions of random-like functions: collision/<kernel>/<function>/<bits>.
void registerCollisionRows();

#endif
