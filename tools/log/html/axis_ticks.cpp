#include "log/html/axis_ticks.h"

#include <cmath>

namespace vyn::tools {

double niceStep(double span, int target, bool wholeNumbers) {
  if (!(span > 0) || !std::isfinite(span) || target < 1) return 1;
  const double rough = span / target;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double fraction = rough / power;
  const double nice = fraction < 1.5 ? 1 : fraction < 3.5 ? 2 : fraction < 7.5 ? 5 : 10;
  const double step = nice * power;
  return wholeNumbers && step < 1 ? 1 : step;
}

std::vector<double> ticksBetween(double low, double high, double step) {
  std::vector<double> ticks;
  if (!(step > 0) || !(high >= low)) return ticks;
  // A tolerance of a millionth of a step keeps bounds that are multiples up to
  // rounding, such as 0.3 for a step of 0.1.
  const double tolerance = step * 1e-6;
  const double first = std::ceil((low - tolerance) / step);
  const double last = std::floor((high + tolerance) / step);
  for (double k = first; k <= last && ticks.size() < 1000; ++k) {
    const double tick = k * step;
    ticks.push_back(std::fabs(tick) < tolerance ? 0.0 : tick);
  }
  return ticks;
}

AxisRange niceRange(double low, double high, int target, bool wholeNumbers) {
  AxisRange range;
  if (high < low) std::swap(low, high);
  if (high == low) {
    const double step = niceStep(std::fabs(low) > 0 ? std::fabs(low) / 5 : 1, 1, wholeNumbers);
    low -= step;
    high += step;
  }
  range.step = niceStep(high - low, target, wholeNumbers);
  range.low = std::floor(low / range.step) * range.step;
  range.high = std::ceil(high / range.step) * range.step;
  range.ticks = ticksBetween(range.low, range.high, range.step);
  return range;
}

AxisRange ticksWithin(double low, double high, int target, bool wholeNumbers) {
  AxisRange range;
  if (high < low) std::swap(low, high);
  range.low = low;
  range.high = high;
  range.step = niceStep(high - low, target, wholeNumbers);
  range.ticks = ticksBetween(low, high, range.step);
  return range;
}

}  // namespace vyn::tools
