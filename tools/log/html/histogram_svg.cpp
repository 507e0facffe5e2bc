#include "log/html/histogram_svg.h"

#include <algorithm>

#include "log/html/axis_ticks.h"
#include "log/html/chart_frame.h"
#include "log/html/html_escape.h"
#include "log/html/label_fit.h"
#include "log/html/marker_lines.h"
#include "log/html/palette.h"
#include "log/html/svg_number.h"

namespace vyn::tools {
namespace {

// A downward triangle, 11 px wide and 9 px tall, whose tip is 2 px above a bar's top.
void appendRareMark(std::string& out, double centre, double barTop, const std::string& tooltip) {
  const double tip = barTop - 2;
  out += "<path class=\"rare\" d=\"M";
  appendSvgNumber(out, centre - 5.5);
  out += ',';
  appendSvgNumber(out, tip - 9);
  out += 'L';
  appendSvgNumber(out, centre + 5.5);
  out += ',';
  appendSvgNumber(out, tip - 9);
  out += 'L';
  appendSvgNumber(out, centre);
  out += ',';
  appendSvgNumber(out, tip);
  out += "Z\"><title>";
  appendEscaped(out, tooltip);
  out += "</title></path>\n";
}

}  // namespace

std::string histogramSvg(const HistogramInput& input) {
  const HistogramBins& bins = input.bins;
  const bool marked = input.p50 && input.p99;
  ChartFrame frame;
  frame.height = input.height;
  frame.top = marked ? kMarkerLabelBand : 14;
  const double low = inTimeUnit(bins.low, input.unit);
  const double binWidth = inTimeUnit(bins.width, input.unit);
  const double high = low + binWidth * static_cast<double>(bins.counts.size());
  const std::uint64_t top = std::max<std::uint64_t>({input.countScale, bins.largest(), 1});
  const AxisRange yRange = niceRange(0, static_cast<double>(top), 4, true);
  frame.left = leftMarginFor(yRange.ticks);
  // Bins of width 0 (every time the same) get a bar a fortieth of the plot wide in the middle.
  const AxisRange xRange = bins.width > 0 ? ticksWithin(low, high, 8) : niceRange(low, low, 8);
  const LinearScale x{xRange.low, xRange.high, frame.plotLeft(), frame.plotRight()};
  // The rare marks above the bars need room under the plot's top.
  const LinearScale y{0, yRange.high, frame.plotBottom(), frame.plotTop() + 12};
  const std::string unit(timeUnitName(input.unit));

  std::string out;
  openChart(out, input.kind, frame, input.label);
  appendYAxis(out, frame, y, yRange.ticks, "executions");
  appendXAxis(out, frame, x, xRange.ticks, "execution time (" + unit + ")");
  out += "<g class=\"bars\"";
  appendAttribute(out, "fill", input.colour);
  out += ">\n";
  const double fallbackWidth = frame.plotWidth() / static_cast<double>(kHistogramBins);
  std::string marks;
  for (std::size_t bin = 0; bin < bins.counts.size(); ++bin) {
    const std::uint64_t count = bins.counts[bin];
    if (count == 0) continue;
    const double from = low + binWidth * static_cast<double>(bin);
    const double to = from + binWidth;
    double left = x(from);
    double right = x(to);
    if (bins.width == 0) {
      left = x(low) - fallbackWidth / 2;
      right = x(low) + fallbackWidth / 2;
    }
    const double height = frame.plotBottom() - y(static_cast<double>(count));
    const bool rare = height < kShortestVisibleBar;
    const double barTop = frame.plotBottom() - std::max(height, kShortestVisibleBar);
    const std::string range =
        bins.width == 0 ? timeWithUnit(bins.low, input.unit) : figureText(from) + " to " + figureText(to) + " " + unit;
    const std::string tooltip = range + ": " + countText(count) + (count == 1 ? " execution" : " executions");
    out += "<rect";
    appendAttribute(out, "x", left);
    appendAttribute(out, "y", barTop);
    // A hair narrower than the bin, so that neighbouring bars stay apart.
    appendAttribute(out, "width", std::max(right - left - 1, 0.5));
    appendAttribute(out, "height", frame.plotBottom() - barTop);
    out += "><title>";
    appendEscaped(out, tooltip);
    out += "</title></rect>\n";
    if (rare) appendRareMark(marks, (left + right - 1) / 2, barTop, tooltip);
  }
  out += "</g>\n";
  if (!marks.empty()) {
    out += "<g class=\"rare-marks\"";
    appendAttribute(out, "fill", input.colour);
    out += ">\n" + marks + "</g>\n";
    // What the marks mean, in the right margin at the foot of the plot.
    const char* const lines[] = {"\xE2\x96\xBC too few", "executions to", "draw to scale"};
    double baseline = frame.plotBottom() - 30;
    for (const char* line : lines) {
      out += "<text class=\"rare-note\"";
      appendAttribute(out, "x", frame.plotRight() + 8);
      appendAttribute(out, "y", baseline);
      out += ">";
      out += line;
      out += "</text>\n";
      baseline += 13;
    }
  }
  if (marked) {
    const Marker p50{"p50", palette::kOrange, x(inTimeUnit(*input.p50, input.unit)),
                     timeWithUnit(*input.p50, input.unit)};
    const Marker p99{"p99", palette::kVermillion, x(inTimeUnit(*input.p99, input.unit)),
                     timeWithUnit(*input.p99, input.unit)};
    appendVerticalMarkers(out, frame, p50, p99);
  }
  closeChart(out);
  return out;
}

}  // namespace vyn::tools
