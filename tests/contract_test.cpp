// Each bound is stated twice, in the header's contract comment and in the
// guide, and checked once, in call_bounds.h. These tests find every number
// call_bounds.h checks in both statements, so that neither can drift from
// what the tests hold the code to.
#include "call_bounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs of spaces and line breaks (and a comment's "//") as one space.
std::string flatten(const std::string& text) {
    return std::regex_replace(std::regex_replace(text, std::regex("\n *// *"), " "),
                              std::regex("\\s+"), " ");
}

// The comment block right above the definition whose signature holds
// signature, flattened.
std::string contractOf(const std::string& header, const std::string& signature) {
    const std::string text = readFile(std::string(CYCLE_SOURCE_DIR) + "/include/cycle/" + header);
    size_t at = text.find(signature);
    if (at == std::string::npos) {
        return "";
    }
    at = text.rfind("\n//", text.rfind("template", at));
    size_t begin = at;
    while (begin > 0 && text.compare(text.rfind('\n', begin - 1) + 1, 2, "//") == 0) {
        begin = text.rfind('\n', begin - 1);
    }
    return flatten(text.substr(begin, at - begin + text.find('\n', at + 1) - at));
}

// The guide's block for a function, from its heading to the next, flattened.
std::string guideOf(const std::string& heading) {
    const std::string text = readFile(std::string(CYCLE_SOURCE_DIR) + "/docs/library.md");
    const size_t begin = text.find("\n### " + heading + "\n");
    if (begin == std::string::npos) {
        return "";
    }
    const size_t end = std::min(text.find("\n### ", begin + 1), text.find("\n## ", begin + 1));
    return flatten(text.substr(begin, end - begin));
}

// A bound as the guide writes it: Greek letters, ≤, and a product's dot.
std::string guideForm(const std::string& ascii) {
    std::string text = std::regex_replace(ascii, std::regex("\\bmu\\b"), "μ");
    text = std::regex_replace(text, std::regex("\\blambda\\b"), "λ");
    text = std::regex_replace(text, std::regex("<="), "≤");
    text = std::regex_replace(text, std::regex(">="), "≥");
    text = std::regex_replace(text, std::regex("(\\d) max\\("), "$1·max(");
    return std::regex_replace(text, std::regex("(\\d) (μ|λ)"), "$1$2");
}

std::string n(int64_t value) {
    return std::to_string(value);
}

struct Stated {
    const char* header;
    const char* signature;
    const char* heading;
    std::vector<std::string> phrases;
};

std::vector<Stated> statedBounds() {
    return {
        {"lists.h",
         "bool hasCycle(const Node* head, Next next)",
         "hasCycle",
         {"n + min((n - 3) / 2, " + n(LIST_TRAIL) + ") for n >= 3",
          "at most 3 (mu + lambda) when mu + lambda <= " + n(HARE_REACH),
          "at most max(2 max(mu, lambda), " + n(LIST_STRETCH) + ") + lambda + " + n(HARE_REACH)}},
        {"lists.h",
         "Cycle<Node> findCycle(const Node* head, Next next)",
         "findCycle",
         {"2 mu + lambda + 2 more where the cursors met within the first " + n(LIST_STRETCH) +
              " nodes",
          "under " + n(LIST_LOCATE_GAPS) + " gaps (a gap is " + n(LIST_GAP) + ", or S / " +
              n(LIST_GAP_SHARE) + ")",
          n(LIST_STRETCH) + " more when mu <= " + n(LIST_STRETCH)}},
        {"lists.h",
         "bool brent(const Node* head, Next next)",
         "floyd, brent, nivasch",
         {"at most 2 max(mu, lambda) + lambda"}},
        {"period.h",
         "Period<T> findPeriod(const T& start, F f, Hash hash = Hash{})",
         "findPeriod",
         {"at most 2 max(mu, lambda) + lambda to see the repeat",
          "under " + n(VALUE_LOCATE_GAPS) + " gaps to locate it (a gap is " + n(VALUE_GAP) +
              ", or S / " + n(VALUE_GAP_SHARE) + ", S the calls made to see the repeat)",
          "at most " + n(VALUE_STRETCH) + " when mu <= " + n(VALUE_STRETCH),
          "== at most " + n(EQUALS_PER_CALL) + " times a call of f, and " + n(EQUALS_MORE) +
              " more",
          "hash at most once a call of f"}},
        {"period.h",
         "findPeriodWithin(const T& start, F f, int64_t limit",
         "findPeriodWithin",
         {"limit + " + n(WITHIN_MARGIN) + " and a gap to rule it out",
          "3 limit + " + n(WITHIN_MARGIN) + " and a gap",
          "findPeriod's " + n(VALUE_LOCATE_GAPS) + " gaps and " + n(VALUE_STRETCH)}},
    };
}

TEST(Contracts, EveryHeaderStatesTheBoundsTheTestsCheck) {
    for (const Stated& stated : statedBounds()) {
        const std::string contract = contractOf(stated.header, stated.signature);
        ASSERT_FALSE(contract.empty()) << stated.signature << " has no contract";
        for (const std::string& phrase : stated.phrases) {
            EXPECT_NE(contract.find(phrase), std::string::npos)
                << stated.header << ", " << stated.heading << ": \"" << phrase
                << "\" is not in the contract";
        }
    }
}

TEST(Contracts, TheGuideStatesTheSameBounds) {
    for (const Stated& stated : statedBounds()) {
        const std::string block = guideOf(stated.heading);
        ASSERT_FALSE(block.empty()) << "the guide has no block for " << stated.heading;
        for (const std::string& phrase : stated.phrases) {
            const std::string written = guideForm(phrase);
            EXPECT_NE(block.find(written), std::string::npos)
                << stated.heading << ": \"" << written << "\" is not in the guide";
        }
    }
}

// The check itself must be able to fail: a number changed in the phrase is
// not found.
TEST(Contracts, AChangedNumberIsNotFound) {
    const std::string contract =
        contractOf("lists.h", "bool hasCycle(const Node* head, Next next)");
    EXPECT_NE(contract.find("mu + lambda <= " + n(HARE_REACH)), std::string::npos);
    EXPECT_EQ(contract.find("mu + lambda <= " + n(HARE_REACH + 1)), std::string::npos);
    EXPECT_EQ(guideForm("2 max(mu, lambda) + lambda <= 3"), "2·max(μ, λ) + λ ≤ 3");
}

} // namespace
