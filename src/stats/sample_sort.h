// Sorting large sets of samples in linear time, for the analyses that rank or
// take percentiles of every execution of a long log.
#ifndef VYN_STATS_SAMPLE_SORT_H_
#define VYN_STATS_SAMPLE_SORT_H_

#include <vector>

namespace vyn::profiling {

// Sorts samples ascending, as std::sort does (-0 before +0), in a few linear
// passes over their bit patterns; small sets go to std::sort. Samples must not
// be NaN.
void sortSamples(std::vector<double>& samples);

}  // namespace vyn::profiling

#endif  // VYN_STATS_SAMPLE_SORT_H_
