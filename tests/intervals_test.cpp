// The bench's statistics on synthetic samples: the median's 95% interval
// covers the true median about 95% of the time and narrows as samples grow,
// outliers are counted, and sampling stops at the target or at the cap.
#include "common/intervals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// Exponential samples of mean 1, whose true median is ln 2.
std::vector<double> exponentialSamples(std::mt19937_64& random, int n) {
    std::exponential_distribution<double> draw(1.0);
    std::vector<double> samples;
    for (int i = 0; i < n; i++) {
        samples.push_back(draw(random));
    }
    return samples;
}

class MedianInterval : public testing::TestWithParam<int> {};

// Order statistics are conservative: at least 95%, and not far above it.
TEST_P(MedianInterval, CoversTheTrueMedianAboutNinetyFivePercentOfTheTime) {
    std::mt19937_64 random(GetParam());
    const int trials = 4000;
    int covered = 0;
    for (int trial = 0; trial < trials; trial++) {
        Interval interval = medianInterval(exponentialSamples(random, GetParam()));
        covered += interval.lo <= std::log(2.0) && std::log(2.0) <= interval.hi;
    }
    double coverage = static_cast<double>(covered) / trials;
    EXPECT_GE(coverage, 0.94);
    EXPECT_LE(coverage, 0.99);
}

INSTANTIATE_TEST_SUITE_P(Samples, MedianInterval, testing::Values(10, 31, 100, 400));

TEST(MedianInterval, NarrowsAsSamplesGrow) {
    std::mt19937_64 random(7);
    double previous = INFINITY;
    for (int n : {16, 64, 256, 1024}) {
        double width = 0;
        for (int trial = 0; trial < 200; trial++) {
            Interval interval = medianInterval(exponentialSamples(random, n));
            width += (interval.hi - interval.lo) / 200;
        }
        // Four times the samples, half the width, give or take.
        EXPECT_LT(width, previous * 0.65) << n << " samples";
        previous = width;
    }
}

TEST(MedianInterval, SpansEverySampleBelowSix) {
    Interval interval = medianInterval({3, 1, 2, 5, 4});
    EXPECT_EQ(interval.median, 3);
    EXPECT_EQ(interval.lo, 1);
    EXPECT_EQ(interval.hi, 5);
}

// Uniform samples lie within two median absolute deviations of their median.
TEST(Outliers, AreTheSamplesBeyondThreeMedianDeviations) {
    std::mt19937_64 random(8);
    std::uniform_real_distribution<double> draw(0.99, 1.01);
    std::vector<double> samples;
    for (int i = 0; i < 97; i++) {
        samples.push_back(draw(random));
    }
    samples.insert(samples.end(), {1.5, 2.0, 0.5});
    EXPECT_EQ(countOutliers(samples), 3);
}

// Normal samples of a given spread around 1, each taking one second of a
// fake clock; run() samples them until the target or the cap.
struct FakeRun {
    std::vector<double> samples;
    std::mt19937_64 random;
    std::normal_distribution<double> draw;
    double seconds = 0;

    bool run(double target, double cap) {
        auto take = [this] {
            samples.push_back(draw(random));
            seconds += 1;
            return true;
        };
        return sampleUntil(
            samples, take, [this] { return seconds; }, target, cap);
    }
};

TEST(SampleUntil, StopsAtTheTargetBeforeTheCap) {
    FakeRun fake{{}, std::mt19937_64(9), std::normal_distribution<double>(1.0, 0.001)};
    EXPECT_TRUE(fake.run(0.02, 1000));
    EXPECT_EQ(fake.samples.size(), 10u) << "the first check that may pass is at ten";
}

TEST(SampleUntil, StopsAtTheCapWhenTheTargetIsOutOfReach) {
    FakeRun fake{{}, std::mt19937_64(10), std::normal_distribution<double>(1.0, 0.5)};
    EXPECT_FALSE(fake.run(0.001, 30));
    EXPECT_EQ(fake.samples.size(), 31u);
}

TEST(SampleUntil, StopsWhenASampleFails) {
    std::vector<double> samples;
    int calls = 0;
    auto take = [&] {
        samples.push_back(1);
        return ++calls < 3;
    };
    EXPECT_FALSE(sampleUntil(
        samples, take, [] { return 0.0; }, 0.5, 10));
    EXPECT_EQ(calls, 3);
}

} // namespace
