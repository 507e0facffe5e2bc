#include "stats/ordered_samples.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace vyn::profiling {

void OrderedSamples::add(std::vector<double> samples) {
  // In order, consecutive samples mostly land in the same block, still in cache.
  std::sort(samples.begin(), samples.end());
  for (const double sample : samples) add(sample);
}

void OrderedSamples::add(double sample) {
  ++size_;
  if (blocks_.empty()) {
    blocks_.emplace_back().push_back(sample);
    return;
  }
  // The first block whose last sample is above the new one takes it (the last
  // block when none is), so that equal samples keep to arrival order.
  auto block = std::upper_bound(blocks_.begin(), blocks_.end(), sample,
                                [](double value, const std::vector<double>& b) { return value < b.back(); });
  if (block == blocks_.end()) --block;
  block->insert(std::upper_bound(block->begin(), block->end(), sample), sample);
  if (block->size() < 2 * kBlock) return;
  std::vector<double> upper(block->begin() + kBlock, block->end());
  block->resize(kBlock);
  blocks_.insert(std::next(block), std::move(upper));
}

double OrderedSamples::at(std::size_t rank) const {
  for (const std::vector<double>& block : blocks_) {
    if (rank < block.size()) return block[rank];
    rank -= block.size();
  }
  return 0;
}

double OrderedSamples::percentile(double q) const {
  if (size_ == 0) return 0;
  const double rank = static_cast<double>(size_ - 1) * q / 100.0;
  const auto below = static_cast<std::size_t>(std::floor(rank));
  const double fraction = rank - static_cast<double>(below);
  const double low = at(below);
  if (fraction == 0 || below + 1 >= size_) return low;
  const double high = at(below + 1);
  return low + fraction * (high - low);
}

}  // namespace vyn::profiling
