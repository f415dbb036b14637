// Progress of a long cycle_bench run on standard error, for a person
// watching bench/run: every PROGRESS_SECONDS at most, the stage's name, the
// runs of rows done of the runs the filter asks for, the time so far and
// the time the rate so far gives for the whole stage.
#ifndef CYCLE_BENCH_PROGRESS_H
#define CYCLE_BENCH_PROGRESS_H

#include <cstddef>
#include <cstdint>
#include <string>

constexpr double PROGRESS_SECONDS = 10;

// Records a row's full name as Google Benchmark will match it against the
// filter; returns the row's number, for noteRowRun.
size_t progressRow(const std::string& full_name);

// Starts reporting under stage (no report without one), counting the rows
// whose names filter matches (Google Benchmark's filter: an extended regular
// expression, a leading '-' for the rows it does not match, "" or "all" for
// every row), each run repetitions times. Returns false if filter is not a
// valid expression.
bool startProgress(const std::string& stage, const std::string& filter, int repetitions);

// Notes a finished run of row with iterations iterations. A repetition runs
// a row once, but the first may run it a few times with a growing count
// while it finds how many iterations fill the minimum time: only the runs
// at a row's largest count are counted.
void noteRowRun(size_t row, int64_t iterations);

// The runs counted so far and the runs asked for.
struct ProgressCount {
    size_t done;
    size_t total;
};
ProgressCount progressCount();

#endif
