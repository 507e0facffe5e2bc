// The summary of samples of which many are 0 and not stored: an event's sums
// per execution of its graph, 0 in every execution it does not appear in.
#ifndef VYN_STATS_SUMMARY_WITH_ZEROS_H_
#define VYN_STATS_SUMMARY_WITH_ZEROS_H_

#include <cstddef>
#include <vector>

#include "stats/sample_summary.h"

namespace vyn::profiling {

// What samples and zeros more samples of 0 come to together, as summarize
// gives it for them all, without making the zeros. Reorders samples.
// Samples must not be NaN.
SampleSummary summarizeWithZeros(std::vector<double>& samples, std::size_t zeros);

}  // namespace vyn::profiling

#endif  // VYN_STATS_SUMMARY_WITH_ZEROS_H_
