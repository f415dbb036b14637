#include "common/intervals.h"

#include <algorithm>
#include <cmath>

// log P(Binomial(n, 1/2) = k).
static double logBinomialHalf(int64_t n, int64_t k) {
    double nn = static_cast<double>(n);
    double kk = static_cast<double>(k);
    return std::lgamma(nn + 1) - std::lgamma(kk + 1) - std::lgamma(nn - kk + 1) -
           nn * std::log(2.0);
}

static double medianOfSorted(const std::vector<double>& sorted) {
    size_t middle = sorted.size() / 2;
    return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

Interval medianInterval(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    int64_t n = static_cast<int64_t>(samples.size());
    // Grow the rank while the tail below it stays within 2.5%.
    int64_t rank = 0;
    double below = 0;
    while (rank < n / 2) {
        double next = below + std::exp(logBinomialHalf(n, rank));
        if (next > 0.025) {
            break;
        }
        below = next;
        rank++;
    }
    size_t low = static_cast<size_t>(std::max<int64_t>(rank, 1) - 1);
    return {medianOfSorted(samples), samples[low], samples[samples.size() - 1 - low]};
}

int64_t countOutliers(const std::vector<double>& samples) {
    std::vector<double> sorted = samples;
    std::sort(sorted.begin(), sorted.end());
    double median = medianOfSorted(sorted);
    std::vector<double> deviations;
    for (double sample : samples) {
        deviations.push_back(std::fabs(sample - median));
    }
    std::sort(deviations.begin(), deviations.end());
    double mad = medianOfSorted(deviations);
    return std::count_if(samples.begin(), samples.end(),
                         [&](double sample) { return std::fabs(sample - median) > 3 * mad; });
}

bool intervalMet(const Interval& interval, int64_t samples, double target) {
    double half = std::max(interval.hi - interval.median, interval.median - interval.lo);
    return samples >= 10 && half <= target * interval.median;
}
