#include "stats/summary_with_zeros.h"

#include <algorithm>
#include <cmath>

#include "stats/sample_sort.h"

namespace vyn::profiling {

SampleSummary summarizeWithZeros(std::vector<double>& samples, std::size_t zeros) {
  SampleSummary summary = summarize(samples);
  if (zeros == 0) return summary;
  sortSamples(samples);
  const std::size_t stored = samples.size();
  const std::size_t n = stored + zeros;
  // The zeros add nothing to the total; around the new mean, they add their
  // own squared deviations and move those of the stored samples by the shift
  // of the mean (the pooled sum of squares of two groups).
  const double storedMean = summary.mean;
  const double storedSquares = summary.stddev * summary.stddev * static_cast<double>(stored > 0 ? stored - 1 : 0);
  summary.count = n;
  summary.mean = summary.total / static_cast<double>(n);
  const double shift = storedMean - summary.mean;
  const double squares = storedSquares + static_cast<double>(stored) * shift * shift +
                         static_cast<double>(zeros) * summary.mean * summary.mean;
  summary.stddev = n > 1 ? std::sqrt(std::max(0.0, squares / static_cast<double>(n - 1))) : 0;
  summary.cv = summary.mean == 0 ? 0 : summary.stddev / summary.mean;

  // In order, all the samples are the stored ones below 0, the zeros, then the
  // stored ones from 0 on.
  const auto negatives =
      static_cast<std::size_t>(std::lower_bound(samples.begin(), samples.end(), 0.0) - samples.begin());
  const auto at = [&](std::size_t rank) {
    if (rank < negatives) return samples[rank];
    if (rank < negatives + zeros) return 0.0;
    return samples[rank - zeros];
  };
  const auto percentileOf = [&](double q) {
    const double rank = static_cast<double>(n - 1) * q / 100.0;
    const auto below = static_cast<std::size_t>(std::floor(rank));
    if (below + 1 >= n) return at(n - 1);
    return at(below) + (rank - static_cast<double>(below)) * (at(below + 1) - at(below));
  };
  summary.min = at(0);
  summary.max = at(n - 1);
  summary.p50 = percentileOf(50);
  summary.p90 = percentileOf(90);
  summary.p99 = percentileOf(99);
  return summary;
}

}  // namespace vyn::profiling
