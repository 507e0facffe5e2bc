// Where a chart's axis gets its ticks: round steps (1, 2 or 5 times a power of
// ten), and ranges widened to whole steps.
#ifndef VYN_TOOLS_LOG_HTML_AXIS_TICKS_H_
#define VYN_TOOLS_LOG_HTML_AXIS_TICKS_H_

#include <vector>

namespace vyn::tools {

// The round step that cuts span into about target parts; 1 for a span that is
// not positive. With wholeNumbers (counts, execution numbers) never below 1.
double niceStep(double span, int target, bool wholeNumbers = false);

// The multiples of step from low to high, both included when they are ones.
std::vector<double> ticksBetween(double low, double high, double step);

struct AxisRange {
  double low = 0;
  double high = 1;
  double step = 1;
  std::vector<double> ticks;
};

// low and high widened outward to multiples of a round step, with the ticks;
// equal bounds are widened to a step either side.
AxisRange niceRange(double low, double high, int target, bool wholeNumbers = false);
// The ticks that fall between low and high, which stay the range's bounds.
AxisRange ticksWithin(double low, double high, int target, bool wholeNumbers = false);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_AXIS_TICKS_H_
