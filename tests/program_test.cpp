// The built programs run end to end in a scratch directory: every line they
// print, both files they write, their exit status, and the faults that must
// end a run with one clear line. One suite, parameterised by program.
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <regex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Program {
    const char* name;
    const char* path;
    const char* linear_lines;
    const char* cyclic_lines;
    const char* record;
};

const Program PROGRAMS[] = {
    {"cycle_hare", CYCLE_HARE_PATH, "Linear\n", "Cyclic\n",
     "\nTime taken by Hare-Tort ALGO is: %s(in ms)\n"},
    {"cycle_reverse", CYCLE_REVERSE_PATH, "Linear List, no cycle found\n", "Cycle found\n",
     "\nTime taken by Reverse Link ALGO: %s(in ms)\n"},
};

struct RunResult {
    int status; // exit status, or -1 if the program did not exit normally
    std::string out;
    std::string err;
};

// Runs program in the working directory with extra environment entries, its
// standard output sent to stdout_path, and its address space capped if asked.
RunResult run(const Program& program, const std::vector<std::string>& environment = {},
              const char* stdout_path = "stdout.txt", rlim_t address_space = 0) {
    pid_t child = fork();
    if (child == 0) {
        int out = open(stdout_path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        for (const std::string& entry : environment) {
            putenv(strdup(entry.c_str()));
        }
        if (address_space != 0) {
            rlimit cap{address_space, address_space};
            setrlimit(RLIMIT_AS, &cap);
        }
        execl(program.path, program.path, "ignored-argument", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    RunResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, "", readFile("stderr.txt")};
    if (std::string(stdout_path) == "stdout.txt") {
        result.out = readFile("stdout.txt");
    }
    return result;
}

std::string format(const char* pattern, const std::string& value) {
    char text[256];
    snprintf(text, sizeof text, pattern, value.c_str());
    return text;
}

class ProgramTest : public testing::TestWithParam<Program> {
  protected:
    ScratchDir scratch;
};

std::string programName(const testing::TestParamInfo<Program>& info) {
    return info.param.name;
}

// On the real clock the figures are unknown, but they must agree with each
// other and with the lines the program printed.
TEST_P(ProgramTest, RunsTheWholeBenchmarkAndReplacesAStaleRunLog) {
    const Program& program = GetParam();
    writeFile("exe4.txt", "stale\nstale\nstale\nstale\nstale\nstale\n");
    RunResult result = run(program);
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");

    std::vector<std::string> lines = splitLines(result.out);
    ASSERT_GE(lines.size(), 5u) << result.out;
    int n = 0;
    ASSERT_EQ(sscanf(lines[0].c_str(), "Creating list with %d nodes", &n), 1);
    EXPECT_GE(n, 1000000);
    EXPECT_LT(n, 1050000);
    EXPECT_EQ(lines[1], "List size: " + std::to_string(n));

    bool cyclic = lines[2] == "Cyclic List created";
    std::string rest = cyclic ? program.cyclic_lines : program.linear_lines;
    if (cyclic) {
        int val = 0;
        ASSERT_EQ(sscanf(lines[3].c_str(), "Linked to node with val=%d", &val), 1);
        EXPECT_GE(val, 1);
        EXPECT_LE(val, 10000);
        rest = lines[3] + "\n" + rest + "The given linked list had a cycle\n";
    } else {
        EXPECT_EQ(lines[2], "linear List");
        rest += "The given list was a linear linked list\n";
    }
    EXPECT_EQ(result.out, lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + rest);

    std::string heap = std::to_string(16 * n + 24);
    EXPECT_EQ(readFile("output_ex3.txt"), "Memory used on Heap: " + heap + "\n");
    std::vector<std::string> log = splitLines(readFile("exe4.txt"));
    ASSERT_EQ(log.size(), 4u) << readFile("exe4.txt");
    EXPECT_EQ(log[0], "Heap Memory Used: " + heap);
    // Both timings are whole milliseconds printed with six decimals.
    std::regex whole_ms("[0-9]+\\.000000");
    EXPECT_EQ(std::regex_replace(log[1], whole_ms, "#"),
              "Time taken to create list with " + std::to_string(n) + " nodes: #(in ms)");
    EXPECT_EQ(log[2], "");
    EXPECT_EQ("\n" + std::regex_replace(log[3], whole_ms, "#") + "\n", format(program.record, "#"));
}

// With the clock pinned to one second the generator's draws are known: the
// count is the first draw, the coin replays that same draw (so an odd count
// means a cycle), and the linked node holds the draw at its own index.
struct Prediction {
    int n;
    bool cyclic;
    int linked_val;
};

Prediction predict(time_t second) {
    srand(static_cast<unsigned>(second));
    int first = rand();
    int k = rand() % (first % 50000 + 1000000);
    Prediction p{first % 50000 + 1000000, first % 2 == 1, 0};
    srand(static_cast<unsigned>(second));
    for (int i = 0; i <= k; i++) {
        p.linked_val = rand() % 10000 + 1;
    }
    return p;
}

class PinnedProgramTest : public testing::TestWithParam<std::tuple<Program, bool>> {
  protected:
    ScratchDir scratch;
};

TEST_P(PinnedProgramTest, PrintsAndWritesExactlyWhatTheGeneratorAndClockDetermine) {
    const Program& program = std::get<0>(GetParam());
    bool want_cycle = std::get<1>(GetParam());
    time_t second = 1765000000;
    while (predict(second).cyclic != want_cycle) {
        second++;
    }
    Prediction p = predict(second);

    // Build from 100.999500 to 102.000200 (1000.7 ms, shown as 1001); detect
    // from 200.005000 to 200.008999 (3.999 ms, shown as 3).
    RunResult result =
        run(program, {"LD_PRELOAD=" PINNED_CLOCK_LIBRARY, "PINNED_TIME=" + std::to_string(second),
                      "PINNED_STAMPS=100.999500,102.000200,200.005000,200.008999",
                      "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");

    std::string n = std::to_string(p.n);
    std::string expected = "Creating list with " + n + " nodes\nList size: " + n + "\n";
    if (p.cyclic) {
        expected += "Cyclic List created\nLinked to node with val=" + std::to_string(p.linked_val) +
                    "\n" + program.cyclic_lines + "The given linked list had a cycle\n";
    } else {
        expected += std::string("linear List\n") + program.linear_lines +
                    "The given list was a linear linked list\n";
    }
    EXPECT_EQ(result.out, expected);

    std::string heap = std::to_string(16 * p.n + 24);
    EXPECT_EQ(readFile("output_ex3.txt"), "Memory used on Heap: " + heap + "\n");
    EXPECT_EQ(readFile("exe4.txt"),
              "Heap Memory Used: " + heap + "\nTime taken to create list with " + n +
                  " nodes: 1001.000000(in ms)\n" + format(program.record, "3.000000"));
}

// Each fault: how to arrange it, where standard output goes, an address
// space cap, and the one line expected on standard error after the name.
struct Fault {
    const char* name;
    void (*arrange)();
    const char* stdout_path;
    rlim_t address_space;
    const char* message;
};

void runLogIsDirectory() {
    ASSERT_EQ(mkdir("exe4.txt", 0755), 0);
}
void runLogIsFull() {
    ASSERT_EQ(symlink("/dev/full", "exe4.txt"), 0);
}
void heapReportIsDirectory() {
    ASSERT_EQ(mkdir("output_ex3.txt", 0755), 0);
}
void heapReportIsFull() {
    ASSERT_EQ(symlink("/dev/full", "output_ex3.txt"), 0);
}
void nothing() {}

const Fault FAULTS[] = {
    {"RunLogDirectory", runLogIsDirectory, "stdout.txt", 0, "cannot open exe4.txt: Is a directory"},
    {"RunLogFull", runLogIsFull, "stdout.txt", 0, "cannot write exe4.txt: No space left on device"},
    {"HeapReportDirectory", heapReportIsDirectory, "stdout.txt", 0,
     "cannot open output_ex3.txt: Is a directory"},
    {"HeapReportFull", heapReportIsFull, "stdout.txt", 0,
     "cannot write output_ex3.txt: No space left on device"},
    {"StandardOutputFull", nothing, "/dev/full", 0,
     "cannot write standard output: No space left on device"},
    {"OutOfMemory", nothing, "stdout.txt", 24 << 20,
     "cannot allocate a list node: Cannot allocate memory"},
};

class ProgramFaultTest : public testing::TestWithParam<std::tuple<Program, Fault>> {
  protected:
    ScratchDir scratch;
};

TEST_P(ProgramFaultTest, EndsWithOneClearLineAndNoVerdict) {
    const Program& program = std::get<0>(GetParam());
    const Fault& fault = std::get<1>(GetParam());
#if defined(__SANITIZE_ADDRESS__)
    if (fault.address_space != 0) {
        GTEST_SKIP() << "AddressSanitizer reserves more address space than the cap allows";
    }
#endif
    fault.arrange();
    RunResult result = run(program, {}, fault.stdout_path, fault.address_space);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, std::string(program.name) + ": " + fault.message + "\n");
    EXPECT_EQ(result.out.find("The given"), std::string::npos) << result.out;
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramTest, testing::ValuesIn(PROGRAMS), programName);
INSTANTIATE_TEST_SUITE_P(Programs, PinnedProgramTest,
                         testing::Combine(testing::ValuesIn(PROGRAMS), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<Program, bool>>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_Cyclic" : "_Linear");
                         });
INSTANTIATE_TEST_SUITE_P(Programs, ProgramFaultTest,
                         testing::Combine(testing::ValuesIn(PROGRAMS), testing::ValuesIn(FAULTS)),
                         [](const testing::TestParamInfo<std::tuple<Program, Fault>>& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

} // namespace
