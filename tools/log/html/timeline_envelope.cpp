#include "log/html/timeline_envelope.h"

#include <algorithm>

namespace vyn::tools {

std::vector<EnvelopeColumn> envelope(const std::vector<double>& values, std::size_t columns) {
  std::vector<EnvelopeColumn> result;
  const std::size_t n = values.size();
  if (n == 0 || columns == 0) return result;
  columns = std::min(columns, n);
  result.reserve(columns);
  for (std::size_t c = 0; c < columns; ++c) {
    EnvelopeColumn column;
    // n * c stays far below 2^64 for any series that fits in memory.
    column.first = static_cast<std::size_t>(static_cast<unsigned long long>(n) * c / columns);
    column.end = static_cast<std::size_t>(static_cast<unsigned long long>(n) * (c + 1) / columns);
    const auto [low, high] = std::minmax_element(values.begin() + static_cast<std::ptrdiff_t>(column.first),
                                                 values.begin() + static_cast<std::ptrdiff_t>(column.end));
    column.min = *low;
    column.max = *high;
    result.push_back(column);
  }
  return result;
}

}  // namespace vyn::tools
