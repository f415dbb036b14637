#include "common/progress.h"

#include <chrono>
#include <cstdio>
#include <regex>
#include <vector>

namespace {

struct RowRuns {
    std::string name;
    bool counted;       // matched by the filter
    int64_t iterations; // the largest count it has run with
    int runs;           // runs at that count
};

struct Progress {
    std::string stage; // empty: no report
    int repetitions = 1;
    size_t total = 0; // runs asked for
    size_t done = 0;
    std::chrono::steady_clock::time_point begin;
    std::chrono::steady_clock::time_point last_report;
};

std::vector<RowRuns>& rows() {
    static std::vector<RowRuns> all;
    return all;
}

Progress& progress() {
    static Progress state;
    return state;
}

// "1h 02m", "3m 05s" or "42s".
std::string duration(double seconds) {
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%ldh %02ldm", whole / 3600, whole / 60 % 60);
    } else if (whole >= 60) {
        std::snprintf(text, sizeof text, "%ldm %02lds", whole / 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%lds", whole);
    }
    return text;
}

void report(Progress& state, std::chrono::steady_clock::time_point now) {
    const double elapsed = std::chrono::duration<double>(now - state.begin).count();
    const double expected =
        elapsed * static_cast<double>(state.total) / static_cast<double>(state.done);
    std::fprintf(stderr, "bench/run: %s: %zu of %zu runs, %s so far, about %s in all\n",
                 state.stage.c_str(), state.done, state.total, duration(elapsed).c_str(),
                 duration(expected).c_str());
    state.last_report = now;
}

} // namespace

size_t progressRow(const std::string& full_name) {
    rows().push_back({full_name, false, 0, 0});
    return rows().size() - 1;
}

bool startProgress(const std::string& stage, const std::string& filter, int repetitions) {
    Progress& state = progress();
    const bool negative = !filter.empty() && filter[0] == '-';
    const std::string pattern = negative ? filter.substr(1) : filter;
    const bool every = pattern.empty() || pattern == "all";
    std::regex expression;
    try {
        expression = std::regex(every ? "." : pattern, std::regex::extended);
    } catch (const std::regex_error&) {
        return false;
    }
    state.stage = stage;
    state.repetitions = repetitions < 1 ? 1 : repetitions;
    state.total = 0;
    for (RowRuns& row : rows()) {
        row.counted = std::regex_search(row.name, expression) != negative;
        state.total += row.counted ? static_cast<size_t>(state.repetitions) : 0;
    }
    state.begin = state.last_report = std::chrono::steady_clock::now();
    return true;
}

void noteRowRun(size_t index, int64_t iterations) {
    Progress& state = progress();
    RowRuns& row = rows()[index];
    if (state.stage.empty() || !row.counted) {
        return;
    }
    if (iterations > row.iterations) {
        state.done -= static_cast<size_t>(row.runs);
        row.iterations = iterations;
        row.runs = 0;
    }
    if (row.runs < state.repetitions) {
        row.runs++;
        state.done++;
    }
    const auto now = std::chrono::steady_clock::now();
    if (std::chrono::duration<double>(now - state.last_report).count() >= PROGRESS_SECONDS) {
        report(state, now);
    }
}

ProgressCount progressCount() {
    return {progress().done, progress().total};
}
