// A distribution counted in bins of equal width between two bounds.
#ifndef VYN_TOOLS_LOG_HTML_HISTOGRAM_BINS_H_
#define VYN_TOOLS_LOG_HTML_HISTOGRAM_BINS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vyn::tools {

struct HistogramBins {
  double low = 0;
  double width = 0;  // 0 when the bounds are equal: one bin holds everything
  std::vector<std::uint64_t> counts;

  std::uint64_t largest() const;
  double binLow(std::size_t bin) const { return low + width * static_cast<double>(bin); }
};

// Counts the values in bins bins of equal width from low to high; bin i holds
// [low + i w, low + (i + 1) w), the last one its upper bound too. Values
// outside low..high are not counted. Equal bounds give a single bin of width 0
// holding the values equal to them; no bins asked for gives none.
HistogramBins histogramBins(const std::vector<double>& values, double low, double high, std::size_t bins);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_HISTOGRAM_BINS_H_
