// findPeriod and findPeriodWithin against a brute-force truth (the first
// position of every value), over value types that ask little: strings, a
// vector state with the caller's hash, a type with no default constructor,
// and hashes from good to constant.
#include "call_bounds.h"
#include "cycle/detect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// mu and lambda of the sequence from start under f, by remembering every
// value: the reference the library must match exactly.
template <typename T, typename F>
void bruteForce(const T& start, F f, int64_t& mu, int64_t& lambda) {
    std::map<T, int64_t> first;
    T x = start;
    for (int64_t i = 0;; i++) {
        auto seen = first.find(x);
        if (seen != first.end()) {
            mu = seen->second;
            lambda = i - seen->second;
            return;
        }
        first.emplace(x, i);
        x = f(x);
    }
}

// Checks findPeriod and findPeriodWithin (at mu + lambda and one below) on
// the sequence from start under table, with hash; distinct_hashes says
// whether hash gives distinct values distinct results.
template <typename Hash>
void checkTable(const std::vector<uint32_t>& table, uint32_t start, Hash hash,
                bool distinct_hashes) {
    int64_t mu = 0;
    int64_t lambda = 0;
    auto f = [&table](const uint32_t& x) { return table[x]; };
    bruteForce(start, f, mu, lambda);
    SCOPED_TRACE("values " + std::to_string(table.size()) + ", start " + std::to_string(start));
    int64_t calls = 0;
    auto counted = [&](const uint32_t& x) {
        calls++;
        return f(x);
    };
    cycle::Period<uint32_t> period = cycle::findPeriod(start, counted, hash);
    uint32_t entry = start;
    for (int64_t i = 0; i < mu; i++) {
        entry = table[entry];
    }
    ASSERT_EQ(period.mu, mu);
    ASSERT_EQ(period.lambda, lambda);
    ASSERT_EQ(period.entry, entry);
    EXPECT_LE(calls, findPeriodBound(mu, lambda));

    std::optional<cycle::Period<uint32_t>> within =
        cycle::findPeriodWithin(start, f, mu + lambda, hash);
    ASSERT_TRUE(within.has_value());
    EXPECT_EQ(within->mu, mu);
    EXPECT_EQ(within->lambda, lambda);
    calls = 0;
    EXPECT_FALSE(cycle::findPeriodWithin(start, counted, mu + lambda - 1, hash).has_value());
    EXPECT_LE(calls, findPeriodWithoutBound(mu + lambda - 1, distinct_hashes));
}

std::vector<uint32_t> randomTable(uint32_t size, std::mt19937_64& random) {
    std::vector<uint32_t> table(size);
    for (uint32_t& value : table) {
        value = std::uniform_int_distribution<uint32_t>(0, size - 1)(random);
    }
    return table;
}

class PeriodOfRandomTables : public testing::TestWithParam<uint32_t> {};

TEST_P(PeriodOfRandomTables, MatchesTheTruthFromManyStarts) {
    std::mt19937_64 random(GetParam());
    std::vector<uint32_t> table = randomTable(GetParam(), random);
    for (int trial = 0; trial < 20; trial++) {
        uint32_t start = std::uniform_int_distribution<uint32_t>(0, GetParam() - 1)(random);
        checkTable(table, start, std::hash<uint32_t>{}, true);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PeriodOfRandomTables,
                         testing::Values(1u, 2u, 3u, 7u, 40u, 1000u, 100000u, 1000000u));

// A hash only places values: constant or crowding ones cost time, never the
// answer or the bound.
TEST(FindPeriod, StaysExactUnderPoorHashes) {
    std::mt19937_64 random(4);
    auto constant = [](const uint32_t&) { return size_t{42}; };
    auto low_bits = [](const uint32_t& x) { return size_t{x & 3}; };
    for (uint32_t size : {5u, 300u, 20000u}) {
        std::vector<uint32_t> table = randomTable(size, random);
        for (uint32_t start : {0u, size / 2, size - 1}) {
            checkTable(table, start, constant, false);
            checkTable(table, start, low_bits, false);
        }
    }
}

// A hash that puts every value in one bucket (it undoes the walk's
// Fibonacci spreading, leaving small keys) and gives each value of pairs the
// key of the other: checkpoints are pushed out and their keys come back
// with other values, which must never stretch a lap to a multiple of lambda.
struct CraftedHash {
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    size_t operator()(const uint32_t& x) const {
        uint64_t inverse = cycle::detail::KEY_MULTIPLIER;
        for (int i = 0; i < 6; i++) {
            inverse *= 2 - cycle::detail::KEY_MULTIPLIER * inverse;
        }
        uint64_t id = x;
        for (const auto& pair : pairs) {
            id = x == pair.second ? pair.first : id;
        }
        return static_cast<size_t>(inverse * (2 * id + 1));
    }
};

// A rho of mu + lambda values: i -> i + 1, the last back to mu.
std::vector<uint32_t> rho(uint32_t mu, uint32_t lambda) {
    std::vector<uint32_t> table(mu + lambda);
    for (uint32_t i = 0; i < mu + lambda; i++) {
        table[i] = i + 1 < mu + lambda ? i + 1 : mu;
    }
    return table;
}

TEST(FindPeriod, StaysExactWhenCraftedKeysCollide) {
    // The first case is the one that once gave 2 lambda.
    checkTable(rho(600, 100), 0, CraftedHash{{{600, 692}}}, false);
    std::mt19937_64 random(5);
    for (int trial = 0; trial < 1500; trial++) {
        const uint32_t mu = std::uniform_int_distribution<uint32_t>(0, 1200)(random);
        const uint32_t lambda = std::uniform_int_distribution<uint32_t>(1, 400)(random);
        CraftedHash hash;
        const int pairs = std::uniform_int_distribution<int>(1, 4)(random);
        for (int i = 0; i < pairs; i++) {
            // Either value on the tail or on the cycle, as the draw falls.
            std::uniform_int_distribution<uint32_t> any(0, mu + lambda - 1);
            hash.pairs.emplace_back(any(random), any(random));
        }
        checkTable(rho(mu, lambda), 0, hash, false);
    }
}

// Every shape of small sequence: rho shapes with every mu and lambda.
TEST(FindPeriod, EveryShapeUpToSixHundredValues) {
    for (uint32_t n : {1u, 2u, 9u, 17u, 33u, 64u, 65u, 600u}) {
        for (uint32_t k = 0; k < n; k++) {
            std::vector<uint32_t> table(n);
            for (uint32_t i = 0; i < n; i++) {
                table[i] = i + 1 < n ? i + 1 : k;
            }
            checkTable(table, 0, std::hash<uint32_t>{}, true);
        }
    }
}

TEST(FindPeriod, WorksOnStrings) {
    // "a", "aa", ... up to 9 letters, then back to "aaaa": mu 3, lambda 6.
    auto grow = [](const std::string& s) { return s.size() < 9 ? s + "a" : std::string("aaaa"); };
    cycle::Period<std::string> period = cycle::findPeriod(std::string("a"), grow);
    EXPECT_EQ(period.entry, "aaaa");
    EXPECT_EQ(period.mu, 3);
    EXPECT_EQ(period.lambda, 6);
}

// A simulation's state: a vector, hashed by the caller.
TEST(FindPeriod, TakesAVectorStateWithTheCallersHash) {
    using State = std::vector<int>;
    auto step = [](const State& s) {
        State next(s.size());
        for (size_t i = 0; i < s.size(); i++) {
            next[i] = (s[i] * 3 + s[(i + 1) % s.size()]) % 11;
        }
        return next;
    };
    auto hash = [](const State& s) {
        size_t h = 0;
        for (int v : s) {
            h = h * 31 + static_cast<size_t>(v);
        }
        return h;
    };
    const State start{1, 2, 3, 4, 5};
    int64_t mu = 0;
    int64_t lambda = 0;
    bruteForce(start, step, mu, lambda);
    cycle::Period<State> period = cycle::findPeriod(start, step, hash);
    EXPECT_EQ(period.mu, mu);
    EXPECT_EQ(period.lambda, lambda);
    State entry = start;
    for (int64_t i = 0; i < mu; i++) {
        entry = step(entry);
    }
    EXPECT_EQ(period.entry, entry);
}

// T needs copying and == only.
struct Residue {
    explicit Residue(uint64_t v) : value(v) {}
    uint64_t value;
    bool operator==(const Residue& other) const {
        return value == other.value;
    }
};

TEST(FindPeriod, TakesATypeWithNoDefaultConstructor) {
    auto square = [](const Residue& x) { return Residue((x.value * x.value + 1) % 255); };
    auto hash = [](const Residue& x) { return static_cast<size_t>(x.value); };
    cycle::Period<Residue> period = cycle::findPeriod(Residue(3), square, hash);
    EXPECT_EQ(period.entry.value, 101u);
    EXPECT_EQ(period.mu, 2);
    EXPECT_EQ(period.lambda, 6);
}

TEST(FindPeriodWithin, GivesNothingForALimitBelowOne) {
    auto same = [](const int& x) { return x; };
    for (int64_t limit : {int64_t{-5}, int64_t{-1}, int64_t{0}}) {
        EXPECT_FALSE(cycle::findPeriodWithin(0, same, limit).has_value()) << limit;
    }
    EXPECT_TRUE(cycle::findPeriodWithin(0, same, 1).has_value());
}

// splitmix64's finalizer: a hash whose bits are all uniform.
struct MixHash {
    size_t operator()(const uint32_t& x) const {
        uint64_t z = x + 0x9E3779B97F4A7C15u;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return static_cast<size_t>(z ^ (z >> 31));
    }
};

// A limit is a budget: with a hash that tells the walk's values apart, ruling
// it out costs the limit, 64 and a gap (and the search for a repeat seen past
// it), in every run, not three times the limit when a checkpoint is crowded
// out by chance.
TEST(FindPeriodWithin, RulesALimitOutWithinItsBudget) {
    const std::vector<uint32_t> ring = rho(0, 20000);
    const std::vector<uint32_t> tail = rho(15000, 25000);
    const CraftedHash crowding{{}}; // distinct results, every key in one corner of the index
    for (const std::vector<uint32_t>* table : {&ring, &tail}) {
        for (int64_t limit = 10; limit < static_cast<int64_t>(table->size()); limit += 197) {
            int64_t calls = 0;
            auto f = [&](const uint32_t& x) {
                calls++;
                return (*table)[x];
            };
            ASSERT_FALSE(cycle::findPeriodWithin(0u, f, limit, MixHash{}).has_value());
            ASSERT_LE(calls, findPeriodWithoutBound(limit)) << "limit " << limit;
            calls = 0;
            ASSERT_FALSE(cycle::findPeriodWithin(0u, f, limit, std::hash<uint32_t>{}).has_value());
            ASSERT_LE(calls, findPeriodWithoutBound(limit)) << "limit " << limit;
            calls = 0;
            ASSERT_FALSE(cycle::findPeriodWithin(0u, f, limit, crowding).has_value());
            ASSERT_LE(calls, findPeriodWithoutBound(limit)) << "limit " << limit;
        }
    }
    int64_t calls = 0;
    auto f = [&](const uint32_t& x) {
        calls++;
        return ring[x];
    };
    EXPECT_FALSE(cycle::findPeriodWithin(0u, f, 5000, MixHash{}).has_value());
    EXPECT_LE(calls, 5000 + WITHIN_MARGIN + 2 * VALUE_GAP + VALUE_STRETCH);
}

// A value that counts its compares.
struct Counted {
    uint32_t value;
    static int64_t compares;
    bool operator==(const Counted& other) const {
        compares++;
        return value == other.value;
    }
};
int64_t Counted::compares = 0;

// findPeriod's calls of == and of the hash stay within their bounds, as its
// calls of f do, whatever the hash: a constant one costs compares of keys,
// never more compares of values.
TEST(FindPeriod, BoundsItsComparesAndHashesUnderAnyHash) {
    int64_t hashes = 0;
    const CraftedHash crafted{{{100, 4000}, {7, 9}, {3000, 20}}};
    const std::vector<std::function<size_t(uint32_t)>> hashOf = {
        MixHash{}, [](uint32_t) { return size_t{42}; }, [](uint32_t x) { return size_t{x & 3}; },
        crafted, CraftedHash{{}}};
    for (const auto& [mu, lambda] : std::vector<std::pair<uint32_t, uint32_t>>{
             {0, 1}, {3, 40}, {55, 2}, {700, 300}, {40000, 10000}, {5, 90000}}) {
        const std::vector<uint32_t> table = rho(mu, lambda);
        for (const auto& inner : hashOf) {
            int64_t calls = 0;
            hashes = 0;
            Counted::compares = 0;
            auto f = [&](const Counted& x) {
                calls++;
                return Counted{table[x.value]};
            };
            auto hash = [&](const Counted& x) {
                hashes++;
                return inner(x.value);
            };
            const cycle::Period<Counted> period = cycle::findPeriod(Counted{0}, f, hash);
            ASSERT_EQ(period.mu, mu);
            ASSERT_EQ(period.lambda, lambda);
            EXPECT_LE(Counted::compares, equalsBound(calls)) << mu << " " << lambda;
            EXPECT_LE(hashes, calls) << mu << " " << lambda;
        }
    }
}

// T needs copies and ==: a T whose moves are deleted is copied instead.
struct Pinned {
    explicit Pinned(uint64_t v) : value(v) {}
    Pinned(const Pinned&) = default;
    Pinned& operator=(const Pinned&) = default;
    Pinned(Pinned&&) = delete;
    Pinned& operator=(Pinned&&) = delete;
    bool operator==(const Pinned& other) const {
        return value == other.value;
    }
    uint64_t value;
};

TEST(FindPeriod, CopiesATypeThatCannotBeMoved) {
    auto step = [](const Pinned& x) { return Pinned((x.value * x.value + 1) % 100000007); };
    auto hash = [](const Pinned& x) { return static_cast<size_t>(x.value); };
    auto plain = [](const uint64_t& x) { return (x * x + 1) % 100000007; };
    const cycle::Period<uint64_t> expected = cycle::findPeriod(uint64_t{5}, plain);
    const cycle::Period<Pinned> period = cycle::findPeriod(Pinned(5), step, hash);
    EXPECT_EQ(period.entry.value, expected.entry);
    EXPECT_EQ(period.mu, expected.mu);
    EXPECT_EQ(period.lambda, expected.lambda);
    EXPECT_GT(expected.mu + expected.lambda, 4096); // past the table's first thinning
    const std::optional<cycle::Period<Pinned>> within =
        cycle::findPeriodWithin(Pinned(5), step, expected.mu + expected.lambda - 1, hash);
    EXPECT_FALSE(within.has_value());
}

} // namespace
