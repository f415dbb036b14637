// Helpers shared by the test suites: scratch directories, files, and small
// lists of known shape built without the counted allocator.
#ifndef CYCLE_TESTS_TEST_SUPPORT_H
#define CYCLE_TESTS_TEST_SUPPORT_H

#include "ex3.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A fresh temporary directory that is the working directory while it lives.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    std::string path;
    std::string previous;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);

// Splits text into lines, dropping the newline after the last one.
std::vector<std::string> splitLines(const std::string& text);

// A list shape: n nodes, the tail linked to index k, or to null when k < 0.
struct Shape {
    int n;
    int k;
};

// A test-name fragment such as "n5_linear" or "n5_to2".
std::string shapeName(const Shape& shape);

// n nodes with values 1..n linked in order; the tail links to index k when
// k >= 0, and to null otherwise. Call linkShape again to restore the shape.
std::vector<Node> buildNodes(int n, int k);
void linkShape(std::vector<Node>& nodes, int k);
List listOf(std::vector<Node>& nodes);

// The index each node's next points to, or -1 for null.
std::vector<int> successorIndices(const std::vector<Node>& nodes);

// Runs fn and returns what it wrote to standard output.
template <typename Fn> std::string captureStdout(Fn fn) {
    testing::internal::CaptureStdout();
    fn();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

#endif
