// The statistics of paired rounds: the median with a distribution-free 95%
// confidence interval, the outliers, and the rule that stops sampling.
#ifndef CYCLE_BENCH_INTERVALS_H
#define CYCLE_BENCH_INTERVALS_H

#include <cstdint>
#include <vector>

// A median and the 95% interval around it.
struct Interval {
    double median;
    double lo;
    double hi;
};

// The sample median and the order statistics x(j) and x(n + 1 - j) that
// bracket the true median with probability at least 95% whatever the
// distribution: j is the largest rank with P(Binomial(n, 1/2) < j) <= 2.5%.
// Below six samples no such j exists and the interval is [min, max]. The
// samples must not be empty.
Interval medianInterval(std::vector<double> samples);

// The samples further than three median absolute deviations from the median.
int64_t countOutliers(const std::vector<double>& samples);

// True once the interval's wider half is within target times the median.
// Never true below ten samples: a tight interval on fewer is luck.
bool intervalMet(const Interval& interval, int64_t samples, double target);

// The stopping rule: calls take() for one more sample (false means stop, the
// row has failed) until the samples' interval meets target or elapsed() says
// more than cap seconds have passed. The interval is checked on every sample
// up to 16 and then on about every sixteenth, so that checking stays cheap.
// Returns whether the target was met.
template <typename Take, typename Elapsed>
bool sampleUntil(const std::vector<double>& samples, Take take, Elapsed elapsed, double target,
                 double cap) {
    while (take()) {
        int64_t taken = static_cast<int64_t>(samples.size());
        if (taken % (taken / 16 + 1) == 0 && intervalMet(medianInterval(samples), taken, target)) {
            return true;
        }
        if (elapsed() > cap) {
            return false;
        }
    }
    return false;
}

#endif
