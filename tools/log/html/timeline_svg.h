// The execution time of each execution against its number, with the median and
// the 99th percentile marked: a chart that shows warm-up, drift and spikes.
#ifndef VYN_TOOLS_LOG_HTML_TIMELINE_SVG_H_
#define VYN_TOOLS_LOG_HTML_TIMELINE_SVG_H_

#include <cstdint>
#include <string>
#include <vector>

#include "stats/figure_text.h"

namespace vyn::tools {

struct TimelineInput {
  const std::vector<double>* times = nullptr;  // microseconds, in execution order
  std::uint64_t firstNumber = 1;               // the number of the first execution shown
  double p50 = 0;                              // microseconds
  double p99 = 0;
  TimeUnit unit = TimeUnit::Micro;
  std::string graph;  // for the label read to screen-reader users
};

// <svg class="chart timeline">: every execution as a point while they fit the
// plot's pixel columns, else each column's smallest to largest time as a band.
std::string timelineSvg(const TimelineInput& input);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_TIMELINE_SVG_H_
