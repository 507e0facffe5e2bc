// Where an execution's time goes: the graph's averaged event tree as a
// top-down flame (icicle) chart under a bar for the whole execution.
#ifndef VYN_TOOLS_LOG_HTML_ICICLE_SVG_H_
#define VYN_TOOLS_LOG_HTML_ICICLE_SVG_H_

#include <cstdint>
#include <string>
#include <vector>

#include "log/html/icicle_layout.h"
#include "stats/figure_text.h"

namespace vyn::tools {

struct IcicleEvent {
  std::string name;                   // the event's own name
  std::string path;                   // "Layer conv1 / Compute"
  std::uint32_t parent = kIcicleTop;  // index in the events, before this one
  // Per execution of the graph: the event's sum in each execution (0 in those
  // it does not appear in), its mean and 99th percentile, in microseconds; and
  // the mean's share of the mean execution time.
  double mean = 0;
  double p99 = 0;
  double share = 0;
};

struct IcicleInput {
  std::string graph;
  double executionMean = 0;  // microseconds
  double executionP99 = 0;
  std::vector<IcicleEvent> events;  // parents before their sub-events
  TimeUnit unit = TimeUnit::Micro;
};

// <svg class="chart icicle">: a rectangle per event as wide as its mean time,
// each with a <title> naming it with its mean, p99 and share per execution, so
// that hovering shows them without a script. Rectangles too narrow to see are
// left out.
std::string icicleSvg(const IcicleInput& input);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_ICICLE_SVG_H_
