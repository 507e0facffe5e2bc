// The median and 99th percentile drawn across a chart, each in its own colour
// and labelled with its value.
#ifndef VYN_TOOLS_LOG_HTML_MARKER_LINES_H_
#define VYN_TOOLS_LOG_HTML_MARKER_LINES_H_

#include <string>
#include <string_view>

#include "log/html/chart_frame.h"

namespace vyn::tools {

struct Marker {
  std::string_view name;    // "p50"
  std::string_view colour;  // a palette colour
  double position = 0;      // in the chart's coordinates
  std::string value;        // "1400 us"
};

// Horizontal lines across the plot, labelled in the right margin; labels that
// would overlap are moved apart.
void appendHorizontalMarkers(std::string& out, const ChartFrame& frame, Marker lower, Marker upper);
// Dashed vertical lines up the plot, labelled above it, the lower one's label to
// its left and the upper one's to its right.
void appendVerticalMarkers(std::string& out, const ChartFrame& frame, const Marker& lower, const Marker& upper);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_MARKER_LINES_H_
