// Samples kept in order as they arrive, for percentiles brought up to date
// rather than recomputed: adding k samples to n costs about k (log n + a block),
// and a percentile a walk over the blocks' sizes.
#ifndef VYN_STATS_ORDERED_SAMPLES_H_
#define VYN_STATS_ORDERED_SAMPLES_H_

#include <cstddef>
#include <vector>

namespace vyn::profiling {

class OrderedSamples {
 public:
  // Adds the samples (in any order). Samples must not be NaN.
  void add(std::vector<double> samples);
  void add(double sample);

  std::size_t size() const { return size_; }
  // The rank-th smallest sample, from 0; rank < size().
  double at(std::size_t rank) const;
  // The q-th percentile as summarize() gives it: linear interpolation between
  // the closest ranks, rank (n - 1) q / 100. 0 when there are no samples.
  double percentile(double q) const;

 private:
  // Sorted blocks, each no larger than twice kBlock, every sample of a block at
  // most the first of the next.
  static constexpr std::size_t kBlock = 512;
  std::vector<std::vector<double>> blocks_;
  std::size_t size_ = 0;
};

}  // namespace vyn::profiling

#endif  // VYN_STATS_ORDERED_SAMPLES_H_
