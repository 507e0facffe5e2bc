// What the SVG charts share: the plot area inside its margins, linear scales,
// and labelled axes with ticks and a title that names the unit.
#ifndef VYN_TOOLS_LOG_HTML_CHART_FRAME_H_
#define VYN_TOOLS_LOG_HTML_CHART_FRAME_H_

#include <string>
#include <string_view>
#include <vector>

namespace vyn::tools {

struct LinearScale {
  double domainLow = 0, domainHigh = 1;
  double rangeLow = 0, rangeHigh = 1;
  double operator()(double value) const;
};

struct ChartFrame {
  double width = 1140;  // the page's width for its content
  double height = 280;
  double left = 72;    // room for the y axis' labels and title
  double right = 130;  // room for the labels of marked lines
  double top = 14;
  double bottom = 46;  // room for the x axis' labels and title

  double plotLeft() const { return left; }
  double plotRight() const { return width - right; }
  double plotTop() const { return top; }
  double plotBottom() const { return height - bottom; }
  double plotWidth() const { return plotRight() - plotLeft(); }
};

// <svg class="chart KIND" ...> with the frame's size and a label for screen
// readers; closed by closeChart.
void openChart(std::string& out, std::string_view kind, const ChartFrame& frame, std::string_view label);
void closeChart(std::string& out);

// The axis line, ticks with their values and the title under the plot; a
// tick label that would reach past the chart's edge moves in to end at it.
void appendXAxis(std::string& out, const ChartFrame& frame, const LinearScale& x, const std::vector<double>& ticks,
                 std::string_view title);
// The axis line, ticks with their values, light grid lines across the plot and
// the title turned along the axis.
void appendYAxis(std::string& out, const ChartFrame& frame, const LinearScale& y, const std::vector<double>& ticks,
                 std::string_view title);

// An element's attribute name="value" with value escaped, after a space.
void appendAttribute(std::string& out, std::string_view name, std::string_view value);
void appendAttribute(std::string& out, std::string_view name, double value);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_CHART_FRAME_H_
