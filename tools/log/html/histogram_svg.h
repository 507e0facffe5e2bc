// How execution times are distributed: bars of equal width from the shortest
// to the longest, with the median and the 99th percentile marked, and a mark
// over every bin too sparse for its bar to show.
#ifndef VYN_TOOLS_LOG_HTML_HISTOGRAM_SVG_H_
#define VYN_TOOLS_LOG_HTML_HISTOGRAM_SVG_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "log/html/histogram_bins.h"
#include "stats/figure_text.h"

namespace vyn::tools {

// The bins charts are drawn with.
inline constexpr std::size_t kHistogramBins = 40;

// A bar shorter than this many pixels gets a mark above it: a rare slow
// execution among thousands must not pass for an empty bin.
inline constexpr double kShortestVisibleBar = 3;

struct HistogramInput {
  HistogramBins bins;                   // in microseconds
  std::uint64_t countScale = 0;         // the y axis' top; 0: the largest bin's count
  std::string_view kind = "histogram";  // the svg's classes after "chart"
  std::string_view colour;              // of the bars
  std::optional<double> p50, p99;       // microseconds; marked when given
  TimeUnit unit = TimeUnit::Micro;
  std::string label;    // read to screen-reader users
  double height = 240;  // of the chart, in pixels
};

// <svg class="chart histogram">: a bar per bin that holds executions, each with
// a tooltip giving its range and count. A bin whose bar would be shorter than
// kShortestVisibleBar is drawn that tall and gets a downward triangle above it
// (class "rare", with the same tooltip), and the chart says what the triangle
// means.
std::string histogramSvg(const HistogramInput& input);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_HISTOGRAM_SVG_H_
