// One detector's testCyclic as the driver sees it: the lines it prints, the
// record it appends to the run log, its stamps, and its faults. Built once per
// detector; REVERSE_DETECTOR selects the cases of the reverse-link one.
#include "ex3_main.h"
#include "pinned_clock.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ReportCase {
    Shape shape;
    const char* lines;
    int result;
    bool record_has_unit;
    bool prints_before_writing;
};

void PrintTo(const ReportCase& c, std::ostream* os) {
    *os << shapeName(c.shape);
}

// The detector stamps 7.999 ms apart, which the record shows as 7 whole ms.
const std::vector<PinnedStamp> STAMPS = {{50, 2000}, {50, 9999}};
const std::string EARLIER_LOG =
    "Heap Memory Used: 40\nTime taken to create list with 1 nodes: 0.000000(in ms)\n";

#ifdef REVERSE_DETECTOR
constexpr bool PRINTS_BEFORE_OPENING = false;
const std::string RECORD = "\nTime taken by Reverse Link ALGO: 7.000000";
const std::vector<ReportCase> CASES = {
    {{0, -1}, "Empty List\nLinear List, no cycle found\n", 0, true, true},
    {{1, -1}, "Single Node,no self loop\nLinear List, no cycle found\n", 0, true, true},
    {{1, 0}, "Cyclic, single node with self loop\n", 1, false, false},
    {{2, -1}, "Linked List\nLinear List, no cycle found\n", 0, true, true},
    {{2, 0}, "Cyclic\n", 1, false, false},
    {{2, 1}, "Cyclic\n", 1, false, false},
    {{3, -1}, "Linear List, no cycle found\n", 0, true, true},
    {{3, 2}, "Cycle found\n", 1, true, true},
    {{1000, 0}, "Cycle found\n", 1, true, true},
    {{1000, 999}, "Cycle found\n", 1, true, true},
};
#else
constexpr bool PRINTS_BEFORE_OPENING = true;
const std::string RECORD = "\nTime taken by Hare-Tort ALGO is: 7.000000";
const std::vector<ReportCase> CASES = {
    {{0, -1}, "Empty List Passed\n", 0, true, true},
    {{1, -1}, "Single Node,no self loop\n", 0, true, true},
    {{1, 0}, "Circular, single node with self loop\n", 1, true, true},
    {{2, -1}, "Linear\n", 0, true, true},
    {{2, 1}, "Cyclic\n", 1, true, true},
    {{3, -1}, "Linear\n", 0, true, true},
    {{1000, 0}, "Cyclic\n", 1, true, true},
    {{1000, 999}, "Cyclic\n", 1, true, true},
};
#endif

std::string caseName(const testing::TestParamInfo<ReportCase>& info) {
    return shapeName(info.param.shape);
}

class ReportTest : public testing::TestWithParam<ReportCase> {
  protected:
    void SetUp() override {
        pinClock(1700000000, STAMPS);
    }
    void TearDown() override {
        unpinClock();
    }
    ScratchDir scratch;
};

TEST_P(ReportTest, PrintsItsLinesAndAppendsExactlyOneTimedRecord) {
    const ReportCase& c = GetParam();
    writeFile(RUN_LOG_FILE, EARLIER_LOG);
    std::vector<Node> nodes = buildNodes(c.shape.n, c.shape.k);

    int result = -1;
    std::string out = captureStdout([&] { result = testCyclic(listOf(nodes)); });

    EXPECT_EQ(out, c.lines);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(pinnedStampsTaken(), 2);
    EXPECT_EQ(readFile(RUN_LOG_FILE),
              EARLIER_LOG + RECORD + (c.record_has_unit ? "(in ms)\n" : "\n"));
}

INSTANTIATE_TEST_SUITE_P(Shapes, ReportTest, testing::ValuesIn(CASES), caseName);

// When the run log cannot be opened or written, the detector ends the run
// with one line on standard error, having printed only what came before.
struct LogFault {
    const char* name;
    bool full; // a symlink to /dev/full, else a directory in the log's place
};

class ReportFaultTest : public testing::TestWithParam<std::tuple<ReportCase, LogFault>> {
  protected:
    ScratchDir scratch;
};

TEST_P(ReportFaultTest, EndsTheRunWithOneClearLine) {
    const ReportCase& c = std::get<0>(GetParam());
    const LogFault& fault = std::get<1>(GetParam());
    if (fault.full) {
        ASSERT_EQ(symlink("/dev/full", RUN_LOG_FILE), 0);
    } else {
        ASSERT_EQ(mkdir(RUN_LOG_FILE, 0755), 0);
    }
    std::vector<Node> nodes = buildNodes(c.shape.n, c.shape.k);
    const char* message = fault.full ? "^[a-z_]+: cannot write exe4.txt: No space left on device\n$"
                                     : "^[a-z_]+: cannot open exe4.txt: Is a directory\n$";
    EXPECT_EXIT(
        {
            freopen("stdout.txt", "w", stdout);
            testCyclic(listOf(nodes));
        },
        testing::ExitedWithCode(1), message);

    bool printed = fault.full ? c.prints_before_writing : PRINTS_BEFORE_OPENING;
    EXPECT_EQ(readFile("stdout.txt"), printed ? c.lines : "");
}

INSTANTIATE_TEST_SUITE_P(Faults, ReportFaultTest,
                         testing::Combine(testing::ValuesIn(CASES),
                                          testing::Values(LogFault{"Directory", false},
                                                          LogFault{"DiskFull", true})),
                         [](const testing::TestParamInfo<std::tuple<ReportCase, LogFault>>& info) {
                             return shapeName(std::get<0>(info.param).shape) + "_" +
                                    std::get<1>(info.param).name;
                         });

} // namespace
