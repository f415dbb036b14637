// findCollision against the truth: a brute-force search where the values are
// few, the pair's own images where they are many, and functions that have
// no collision at all (which no merge of walks may turn into one).
#include "collision_functions.h"

#include <cycle/collision.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

uint64_t mask(unsigned bits) {
    return bits == 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
}

void expectCollision(const std::optional<cycle::Collision>& c, unsigned bits,
                     uint64_t (*f)(uint64_t)) {
    ASSERT_TRUE(c.has_value());
    EXPECT_NE(c->a, c->b);
    EXPECT_LE(c->a, mask(bits));
    EXPECT_LE(c->b, mask(bits));
    EXPECT_EQ(f(c->a) & mask(bits), c->image);
    EXPECT_EQ(f(c->b) & mask(bits), c->image);
}

TEST(FindCollision, FewBitsAgreeWithABruteForceSearch) {
    std::mt19937_64 random(5);
    for (unsigned bits = 1; bits <= 12; bits++) {
        const uint64_t n = uint64_t{1} << bits;
        for (int trial = 0; trial < 20; trial++) {
            std::vector<uint64_t> table(n);
            for (uint64_t i = 0; i < n; i++) {
                // Half the trials a permutation, which has no collision.
                table[i] = trial % 2 ? random() : i;
            }
            if (trial % 2 == 0) {
                std::shuffle(table.begin(), table.end(), random);
            }
            std::vector<int> hits(n, 0);
            bool exists = false;
            for (uint64_t v : table) {
                exists |= ++hits[v & (n - 1)] > 1;
            }
            uint64_t calls = 0;
            auto f = [&](uint64_t x) {
                calls++;
                return table[x] | (uint64_t{0xabc} << 40); // high bits do not count
            };
            const auto c = cycle::findCollision(f, bits, {1, uint64_t(trial)});
            ASSERT_EQ(c.has_value(), exists) << bits << " bits, trial " << trial;
            EXPECT_LE(calls, n);
            if (c) {
                EXPECT_NE(c->a, c->b);
                EXPECT_EQ(table[c->a] & (n - 1), c->image);
                EXPECT_EQ(table[c->b] & (n - 1), c->image);
                EXPECT_EQ(c->calls, calls);
            }
        }
    }
}

TEST(FindCollision, WalksFindTruePairsAndOneThreadRepeatsItself) {
    for (unsigned bits : {21u, 24u, 32u, 40u}) {
        for (uint64_t seed : {0ull, 1ull, 99ull}) {
            std::atomic<uint64_t> calls{0};
            auto f = [&](uint64_t x) {
                calls.fetch_add(1, std::memory_order_relaxed);
                return mix(x);
            };
            cycle::CollisionOptions options;
            options.seed = seed;
            const auto c = cycle::findCollision(f, bits, options);
            expectCollision(c, bits, mix);
            EXPECT_EQ(c->calls, calls.load());
            EXPECT_GT(c->points, 0u);
            const auto again = cycle::findCollision(mix, bits, options);
            ASSERT_TRUE(again.has_value());
            EXPECT_EQ(again->a, c->a);
            EXPECT_EQ(again->b, c->b);
            EXPECT_EQ(again->calls, c->calls);
        }
    }
}

TEST(FindCollision, SeveralThreadsAndSmallTablesStillGiveTruePairs) {
    for (unsigned threads : {0u, 2u, 4u}) {
        for (unsigned bits : {26u, 36u}) {
            cycle::CollisionOptions options;
            options.threads = threads;
            options.seed = bits;
            std::atomic<uint64_t> calls{0};
            auto f = [&](uint64_t x) {
                calls.fetch_add(1, std::memory_order_relaxed);
                return mix(x);
            };
            const auto c = cycle::findCollision(f, bits, options);
            expectCollision(c, bits, mix);
            EXPECT_EQ(c->calls, calls.load());
        }
    }
    // 64 slots for a search that expects about 80 points: some are
    // overwritten, the pair found is still true.
    cycle::CollisionOptions tiny;
    tiny.memory = 64 * 24;
    tiny.distinguished_bits = 9;
    expectCollision(cycle::findCollision(mix, 30, tiny), 30, mix);
    cycle::CollisionOptions wide;
    wide.distinguished_bits = 12;
    expectCollision(cycle::findCollision(mix, 34, wide), 34, mix);
}

TEST(FindCollision, APermutationHasNoneAndTheBudgetHolds) {
    // x + 1 puts every walk on one cycle: walks merge all the time, each
    // merge one start on the other's path, none a collision.
    for (unsigned threads : {1u, 2u}) {
        for (unsigned bits : {24u, 40u, 64u}) {
            std::atomic<uint64_t> calls{0};
            auto step = [&](uint64_t x) {
                calls.fetch_add(1, std::memory_order_relaxed);
                return x + 1;
            };
            cycle::CollisionOptions options;
            options.threads = threads;
            options.max_calls = 3000000;
            options.distinguished_bits = 8;
            EXPECT_FALSE(cycle::findCollision(step, bits, options).has_value());
            EXPECT_LE(calls.load(), options.max_calls);
            EXPECT_GT(calls.load(), options.max_calls / 2);
        }
    }
    auto odd = [](uint64_t x) { return x * 0x9e3779b97f4a7c15ull + 7; };
    cycle::CollisionOptions options;
    options.max_calls = 1 << 20;
    EXPECT_FALSE(cycle::findCollision(odd, 64, options).has_value());
    EXPECT_FALSE(cycle::findCollision(odd, 16).has_value());
}

TEST(FindCollision, WhatFThrowsComesOutWithEveryThreadStopped) {
    struct Boom : std::runtime_error {
        Boom() : std::runtime_error("boom") {}
    };
    for (unsigned threads : {1u, 2u, 3u}) {
        std::atomic<uint64_t> calls{0};
        auto f = [&](uint64_t x) {
            if (calls.fetch_add(1) == 50000) {
                throw Boom();
            }
            return mix(x);
        };
        cycle::CollisionOptions options;
        options.threads = threads;
        EXPECT_THROW(cycle::findCollision(f, 60, options), Boom);
        // Each thread stops within a chunk of its budget, and none runs on.
        const uint64_t after = calls.load();
        EXPECT_LT(after, 50001 + uint64_t{threads} * 2 * 4096);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(calls.load(), after);
    }
}

TEST(FindCollision, BadOptionsAreRefused) {
    EXPECT_THROW(cycle::findCollision(mix, 0), std::invalid_argument);
    EXPECT_THROW(cycle::findCollision(mix, 65), std::invalid_argument);
    cycle::CollisionOptions d;
    d.distinguished_bits = 30;
    EXPECT_THROW(cycle::findCollision(mix, 30, d), std::invalid_argument);
    cycle::CollisionOptions small;
    small.memory = 100;
    EXPECT_THROW(cycle::findCollision(mix, 30, small), std::invalid_argument);
}

} // namespace
