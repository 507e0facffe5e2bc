// The median and 99th percentile drawn across a chart, each in its own colour
// and labelled with its value; the labels stay inside the chart, off the axes
// and off each other.
#ifndef VYN_TOOLS_LOG_HTML_MARKER_LINES_H_
#define VYN_TOOLS_LOG_HTML_MARKER_LINES_H_

#include <string>
#include <string_view>
#include <utility>

#include "log/html/chart_frame.h"

namespace vyn::tools {

struct Marker {
  std::string_view name;    // "p50"
  std::string_view colour;  // a palette colour
  double position = 0;      // in the chart's coordinates
  std::string value;        // "1400 us"
};

// The room above the plot that vertical markers' labels need: two rows.
inline constexpr double kMarkerLabelBand = 32;

// Where a label's text starts (x) and its baseline (y).
struct LabelSpot {
  double x = 0;
  double y = 0;
};

// The estimated width of a marker's label: its name in bold, a space, its value.
double markerLabelWidth(const Marker& marker);

// Labels in the right margin, level with their lines, a row apart at least,
// the lower one's baseline no lower than 4 px under the plot (the x axis'
// labels come under that) and the upper one inside the chart's top.
std::pair<LabelSpot, LabelSpot> horizontalLabelSpots(const ChartFrame& frame, const Marker& lower, const Marker& upper);
// Labels in the band above the plot (frame.top must be kMarkerLabelBand or
// more): the lower one left of its line and the upper one right of its own,
// each turned to the other side when it would reach past the plot's left edge
// or the chart's right edge; when they would overlap, the upper one goes a row
// higher.
std::pair<LabelSpot, LabelSpot> verticalLabelSpots(const ChartFrame& frame, const Marker& lower, const Marker& upper);

// Horizontal lines across the plot, labelled in the right margin.
void appendHorizontalMarkers(std::string& out, const ChartFrame& frame, const Marker& lower, const Marker& upper);
// Dashed vertical lines up the plot, labelled above it.
void appendVerticalMarkers(std::string& out, const ChartFrame& frame, const Marker& lower, const Marker& upper);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_MARKER_LINES_H_
