#include "stats/sample_summary.h"

#include <algorithm>
#include <cmath>

namespace vyn::profiling {

namespace {

// Sum with a running correction for the low-order bits each addition drops
// (the Neumaier variant, which also holds when an addend outweighs the sum).
class CompensatedSum {
 public:
  void add(double value) {
    const double next = sum_ + value;
    if (std::fabs(sum_) >= std::fabs(value)) {
      correction_ += (sum_ - next) + value;
    } else {
      correction_ += (value - next) + sum_;
    }
    sum_ = next;
  }
  double value() const { return sum_ + correction_; }

 private:
  double sum_ = 0;
  double correction_ = 0;
};

}  // namespace

// The q-th percentile of samples, found by selection rather than by sorting:
// the value at the rank's floor, and the least value above it. Reorders samples.
double percentile(std::vector<double>& samples, double q) {
  const double rank = static_cast<double>(samples.size() - 1) * q / 100.0;
  const auto below = static_cast<std::size_t>(std::floor(rank));
  const auto at = samples.begin() + static_cast<std::ptrdiff_t>(below);
  std::nth_element(samples.begin(), at, samples.end());
  const double fraction = rank - static_cast<double>(below);
  if (fraction == 0 || below + 1 >= samples.size()) return *at;
  const double above = *std::min_element(at + 1, samples.end());
  return *at + fraction * (above - *at);
}

SampleSummary summarize(std::vector<double>& samples) {
  SampleSummary summary;
  if (samples.empty()) return summary;

  const std::size_t n = samples.size();
  CompensatedSum total;
  for (const double sample : samples) total.add(sample);
  summary.count = n;
  summary.total = total.value();
  summary.mean = summary.total / static_cast<double>(n);

  if (n > 1) {
    // Squared deviations from the mean, less the square of their sum over n,
    // which takes back the rounding left in the mean itself.
    CompensatedSum squares;
    CompensatedSum deviations;
    for (const double sample : samples) {
      const double deviation = sample - summary.mean;
      squares.add(deviation * deviation);
      deviations.add(deviation);
    }
    const double drift = deviations.value();
    const double sumOfSquares = squares.value() - drift * drift / static_cast<double>(n);
    summary.stddev = std::sqrt(std::max(0.0, sumOfSquares / static_cast<double>(n - 1)));
  }
  summary.cv = summary.mean == 0 ? 0 : summary.stddev / summary.mean;

  const auto [least, greatest] = std::minmax_element(samples.begin(), samples.end());
  summary.min = *least;
  summary.max = *greatest;
  // Selection, not sorting: sorting millions of samples costs more than loading them.
  summary.p99 = percentile(samples, 99);
  summary.p90 = percentile(samples, 90);
  summary.p50 = percentile(samples, 50);
  return summary;
}

}  // namespace vyn::profiling
