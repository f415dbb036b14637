// The shared harness: counted allocation, list generation, the coin toss,
// printing, the millisecond measure, and the faults that must end a run.
#include "ex3.h"
#include "ex3_main.h"
#include "myfunc.h"
#include "pinned_clock.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The first second from `from` whose generator's first draw has the parity
// wanted: createCycle's coin after srand with that second.
time_t secondWithCoin(time_t from, int coin) {
    for (time_t second = from;; second++) {
        srand(static_cast<unsigned>(second));
        if (rand() % 2 == coin) {
            return second;
        }
    }
}

struct CountedCall {
    bool allocate;
    int32_t count;
    int32_t size;
    int32_t expected_delta;
};

class CountedAllocationTest : public testing::TestWithParam<CountedCall> {};

TEST_P(CountedAllocationTest, CounterMovesByTheDeclaredProductWrappedTo32Bits) {
    const CountedCall& call = GetParam();
    heap_mem_allocated = 1000;
    if (call.allocate) {
        auto* block = static_cast<unsigned char*>(myalloc(call.count, call.size));
        ASSERT_NE(block, nullptr);
        // The whole declared block must be usable (the sanitizer build checks).
        for (int32_t i = 0; i < call.count * call.size; i++) {
            block[i] = 0xA5;
        }
        free(block);
    } else {
        myfree(nullptr, call.count, call.size);
    }
    EXPECT_EQ(heap_mem_allocated, 1000 + call.expected_delta);
}

INSTANTIATE_TEST_SUITE_P(Calls, CountedAllocationTest,
                         testing::Values(CountedCall{true, 1, 16, 16}, CountedCall{true, 3, 8, 24},
                                         CountedCall{true, 1, 0, 0}, CountedCall{false, 1, 16, -16},
                                         CountedCall{false, 0, 0, 0},
                                         CountedCall{false, 1000, 1, -1000},
                                         CountedCall{false, 65536, 65536, 0},
                                         CountedCall{false, INT32_MAX, 2, 2},
                                         CountedCall{false, -3, 5, 15}));

TEST(CountedAllocation, DeclaringTheWholeCounterOnOneReleaseBringsItToZero) {
    heap_mem_allocated = 0;
    void* first = myalloc(1, 16);
    void* second = myalloc(1, 16);
    void* header = myalloc(1, 24);
    myfree(first, heap_mem_allocated, 1);
    EXPECT_EQ(heap_mem_allocated, 0);
    myfree(second, 0, 0);
    EXPECT_EQ(heap_mem_allocated, 0);
    free(header);
}

class CreateListTest : public testing::TestWithParam<int32_t> {
  protected:
    void SetUp() override {
        heap_mem_allocated = 0;
        pinClock(1700000000, {});
    }
    void TearDown() override {
        unpinClock();
    }
    ScratchDir scratch;
};

TEST_P(CreateListTest, BuildsTheRequestedNodesFromTheGeneratorAndReportsTheHeap) {
    int32_t n = GetParam();
    List list = createList(n);
    int32_t built = n > 0 ? n : 0;

    EXPECT_EQ(list.size, built);
    EXPECT_EQ(list.head == nullptr, built == 0);
    EXPECT_EQ(list.tail == nullptr, built == 0);

    // One draw per node in list order, after reseeding with the current second.
    srand(1700000000);
    int32_t walked = 0;
    const Node* last = nullptr;
    for (const Node* node = list.head; node != nullptr; node = node->next, walked++) {
        int expected = rand() % 10000 + 1;
        ASSERT_EQ(node->val, expected) << "node " << walked;
        ASSERT_GE(node->val, 1);
        ASSERT_LE(node->val, 10000);
        last = node;
    }
    EXPECT_EQ(walked, built);
    EXPECT_EQ(last, list.tail);

    int32_t expected_heap = built * 16 + 24;
    EXPECT_EQ(heap_mem_allocated, expected_heap);
    EXPECT_EQ(readFile(HEAP_REPORT_FILE),
              "Memory used on Heap: " + std::to_string(expected_heap) + "\n");

    for (Node* node = list.head; node != nullptr;) {
        Node* next = node->next;
        free(node);
        node = next;
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, CreateListTest, testing::Values(-7, 0, 1, 2, 3, 1000));

struct CycleCase {
    int size;
    int coin;
};

class CreateCycleTest : public testing::TestWithParam<CycleCase> {
  protected:
    void TearDown() override {
        unpinClock();
    }
};

TEST_P(CreateCycleTest, TossesTheCoinAndLinksTheTailToTheDrawnNode) {
    const CycleCase& c = GetParam();
    time_t second = secondWithCoin(1700000000 + c.size, c.coin);
    pinClock(second, {});
    std::vector<Node> nodes = buildNodes(c.size, -1);
    List before = listOf(nodes);

    List after;
    std::string out = captureStdout([&] { after = createCycle(before); });

    EXPECT_EQ(after.head, before.head);
    EXPECT_EQ(after.tail, before.tail);
    EXPECT_EQ(after.size, before.size);
    if (c.coin == 0) {
        EXPECT_EQ(out, "linear List\n");
        EXPECT_EQ(nodes.back().next, nullptr);
        return;
    }
    srand(static_cast<unsigned>(second));
    rand();
    int k = rand() % c.size;
    EXPECT_EQ(out, "Cyclic List created\nLinked to node with val=" + std::to_string(k + 1) + "\n");
    EXPECT_EQ(nodes.back().next, &nodes[k]);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CreateCycleTest,
                         testing::Values(CycleCase{1, 0}, CycleCase{1, 1}, CycleCase{2, 1},
                                         CycleCase{7, 0}, CycleCase{7, 1}, CycleCase{1000, 1},
                                         CycleCase{99999, 1}));

TEST(CreateCycle, LeavesAnEmptyOrNegativeSizedListLinearInsteadOfDividingByZero) {
    for (int32_t size : {0, -1}) {
        List empty{nullptr, nullptr, size};
        List after;
        std::string out = captureStdout([&] { after = createCycle(empty); });
        EXPECT_EQ(out, "linear List\n");
        EXPECT_EQ(after.head, nullptr);
        EXPECT_EQ(after.tail, nullptr);
        EXPECT_EQ(after.size, size);
    }
}

TEST(PrintList, PrintsEachValueWithATabThenOneNewlineOrEmpty) {
    std::vector<Node> none;
    EXPECT_EQ(captureStdout([&] { printList(listOf(none)); }), "Empty\n");
    std::vector<Node> one = buildNodes(1, -1);
    EXPECT_EQ(captureStdout([&] { printList(listOf(one)); }), "1\t\n");
    std::vector<Node> two = buildNodes(2, -1);
    two[0].val = 5;
    two[1].val = 10000;
    EXPECT_EQ(captureStdout([&] { printList(listOf(two)); }), "5\t10000\t\n");
}

struct Interval {
    Stamp start;
    Stamp end;
    double expected_ms;
};

class ElapsedMsTest : public testing::TestWithParam<Interval> {};

TEST_P(ElapsedMsTest, TruncatesTheMicrosecondPartOnItsOwnBeforeAdding) {
    const Interval& i = GetParam();
    EXPECT_EQ(elapsedMs(i.start, i.end), i.expected_ms);
}

INSTANTIATE_TEST_SUITE_P(Stamps, ElapsedMsTest,
                         testing::Values(Interval{{10, 0}, {10, 0}, 0.0},
                                         Interval{{5, 100}, {5, 1099}, 0.0},
                                         Interval{{5, 100}, {5, 1100}, 1.0},
                                         Interval{{1, 0}, {3, 500000}, 2500.0},
                                         // A negative microsecond part truncates toward zero, so
                                         // the result exceeds the true 1000.7 ms interval.
                                         Interval{{10, 999500}, {12, 200}, 1001.0},
                                         Interval{{1, 500000}, {2, 0}, 500.0}));

struct ReportFault {
    const char* name;
    void (*arrange)();
    const char* message;
};

void reportIsDirectory() {
    ASSERT_EQ(mkdir(HEAP_REPORT_FILE, 0755), 0);
}
void reportIsFull() {
    ASSERT_EQ(symlink("/dev/full", HEAP_REPORT_FILE), 0);
}

class CreateListFaultTest : public testing::TestWithParam<ReportFault> {
  protected:
    ScratchDir scratch;
};

TEST_P(CreateListFaultTest, EndsTheRunWithOneClearLine) {
    GetParam().arrange();
    EXPECT_EXIT(createList(10), testing::ExitedWithCode(1), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CreateListFaultTest,
    testing::Values(ReportFault{"Directory", reportIsDirectory,
                                "^[a-z_]+: cannot open output_ex3.txt: Is a directory\n$"},
                    ReportFault{
                        "DiskFull", reportIsFull,
                        "^[a-z_]+: cannot write output_ex3.txt: No space left on device\n$"}),
    [](const testing::TestParamInfo<ReportFault>& info) { return std::string(info.param.name); });

#if !defined(__SANITIZE_ADDRESS__)
// Caps the address space far below what the list needs, then builds it.
void createListUnderMemoryCap() {
    rlimit cap{64 << 20, 64 << 20};
    setrlimit(RLIMIT_AS, &cap);
    createList(INT32_MAX);
}
#endif

TEST(CreateListOutOfMemory, EndsTheRunWithOneClearLine) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the cap allows";
#else
    ScratchDir scratch;
    EXPECT_EXIT(createListUnderMemoryCap(), testing::ExitedWithCode(1),
                "^[a-z_]+: cannot allocate a list node: Cannot allocate memory\n$");
#endif
}

} // namespace
