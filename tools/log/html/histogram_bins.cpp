#include "log/html/histogram_bins.h"

#include <algorithm>
#include <cmath>

namespace vyn::tools {

std::uint64_t HistogramBins::largest() const {
  return counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
}

HistogramBins histogramBins(const std::vector<double>& values, double low, double high, std::size_t bins) {
  HistogramBins result;
  result.low = low;
  if (bins == 0 || !(high >= low)) return result;
  if (high == low) {
    result.counts.assign(1, 0);
    for (const double value : values) result.counts[0] += value == low ? 1 : 0;
    return result;
  }
  result.width = (high - low) / static_cast<double>(bins);
  result.counts.assign(bins, 0);
  for (const double value : values) {
    if (!(value >= low && value <= high)) continue;
    const double place = std::floor((value - low) / result.width);
    // The upper bound, and values that rounding puts one bin too far, go in the last bin.
    const std::size_t bin = std::min(static_cast<std::size_t>(std::max(place, 0.0)), bins - 1);
    ++result.counts[bin];
  }
  return result;
}

}  // namespace vyn::tools
