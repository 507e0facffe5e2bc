// Count, mean, spread and percentiles of a set of timing samples.
#ifndef VYN_STATS_SAMPLE_SUMMARY_H_
#define VYN_STATS_SAMPLE_SUMMARY_H_

#include <cstddef>
#include <vector>

namespace vyn::profiling {

// What a set of samples comes to. Empty samples give count 0 and every figure 0.
struct SampleSummary {
  std::size_t count = 0;
  double total = 0, mean = 0;
  double stddev = 0;  // sample standard deviation (n - 1 in the denominator); 0 for one sample
  double cv = 0;      // stddev / mean; 0 when the mean is 0
  double min = 0, p50 = 0, p90 = 0, p99 = 0, max = 0;
};

// Summarises samples, leaving them reordered. The total is a compensated sum
// and the variance comes from a second pass over the deviations from the mean,
// so samples around 1e12 keep their small differences. Samples must not be NaN.
SampleSummary summarize(std::vector<double>& samples);

// The q-th percentile (q from 0 to 100) of samples, as summarize gives p50,
// p90 and p99: linear between the values at the closest ranks around
// (n - 1) q / 100. Reorders samples. REQUIRES: samples not empty, none NaN.
double percentile(std::vector<double>& samples, double q);

}  // namespace vyn::profiling

#endif  // VYN_STATS_SAMPLE_SUMMARY_H_
