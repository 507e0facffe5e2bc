#include "stats/p_value_adjustment.h"

#include <algorithm>
#include <cstddef>
#include <numeric>

namespace vyn::profiling {
namespace {

// The positions of the p-values from the smallest to the largest; ties keep
// their input order.
std::vector<std::size_t> ascendingOrder(const std::vector<double>& pValues) {
  std::vector<std::size_t> order(pValues.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return pValues[a] < pValues[b]; });
  return order;
}

}  // namespace

std::vector<double> holmAdjusted(const std::vector<double>& pValues) {
  const std::vector<std::size_t> order = ascendingOrder(pValues);
  const auto m = static_cast<double>(pValues.size());
  std::vector<double> adjusted(pValues.size());
  double largest = 0;
  for (std::size_t rank = 0; rank < order.size(); ++rank) {
    // rank counts from 0, so m - rank is the step's m - j + 1.
    const double stepped = std::min(1.0, (m - static_cast<double>(rank)) * pValues[order[rank]]);
    largest = std::max(largest, stepped);
    adjusted[order[rank]] = largest;
  }
  return adjusted;
}

std::vector<double> benjaminiHochbergAdjusted(const std::vector<double>& pValues) {
  const std::vector<std::size_t> order = ascendingOrder(pValues);
  const auto m = static_cast<double>(pValues.size());
  std::vector<double> adjusted(pValues.size());
  double smallest = 1;
  for (std::size_t rank = order.size(); rank-- > 0;) {
    const double stepped = std::min(1.0, m * pValues[order[rank]] / static_cast<double>(rank + 1));
    smallest = std::min(smallest, stepped);
    adjusted[order[rank]] = smallest;
  }
  return adjusted;
}

std::vector<double> adjustPValues(const std::vector<double>& pValues, PValueAdjustment method) {
  switch (method) {
    case PValueAdjustment::Holm:
      return holmAdjusted(pValues);
    case PValueAdjustment::BenjaminiHochberg:
      return benjaminiHochbergAdjusted(pValues);
    case PValueAdjustment::None:
      break;
  }
  return pValues;
}

}  // namespace vyn::profiling
