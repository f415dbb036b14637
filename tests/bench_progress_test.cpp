// The progress report of cycle_bench: which rows the filter counts, and how
// the runs of a row are counted while Google Benchmark looks for its
// iteration count.
#include "common/progress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Progress, CountsTheRowsTheFilterMatchesEachRepetitionOnce) {
    const size_t a = progressRow("short/walk/sequential/linear/8/manual_time");
    const size_t b = progressRow("short/hascycle/sequential/linear/8/manual_time");
    const size_t c = progressRow("mapping/colour/random/1024/iterations:1/manual_time");

    ASSERT_TRUE(startProgress("test", "^short/", 3));
    EXPECT_EQ(progressCount().total, 6u);
    // The first repetition runs a row with a growing count until the time is
    // long enough: only the runs at its final count are counted.
    noteRowRun(a, 1);
    noteRowRun(a, 10);
    noteRowRun(a, 100);
    EXPECT_EQ(progressCount().done, 1u);
    noteRowRun(a, 100);
    noteRowRun(a, 100);
    noteRowRun(a, 100); // beyond the repetitions asked for
    EXPECT_EQ(progressCount().done, 3u);
    noteRowRun(c, 1); // not matched
    EXPECT_EQ(progressCount().done, 3u);
    noteRowRun(b, 5);
    EXPECT_EQ(progressCount().done, 4u);

    // A leading '-' counts the rows the expression does not match; "" and
    // "all" count every row.
    ASSERT_TRUE(startProgress("test", "-^short/", 1));
    EXPECT_EQ(progressCount().total, 1u);
    ASSERT_TRUE(startProgress("test", "", 2));
    EXPECT_EQ(progressCount().total, 6u);
    ASSERT_TRUE(startProgress("test", "all", 1));
    EXPECT_EQ(progressCount().total, 3u);
    // The filter is matched against the full name, as Google Benchmark does.
    ASSERT_TRUE(startProgress("test", "/iterations:1/", 1));
    EXPECT_EQ(progressCount().total, 1u);
    EXPECT_FALSE(startProgress("test", "(", 1));
}

} // namespace
