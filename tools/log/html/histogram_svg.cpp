#include "log/html/histogram_svg.h"

#include <algorithm>

#include "log/html/axis_ticks.h"
#include "log/html/chart_frame.h"
#include "log/html/html_escape.h"
#include "log/html/marker_lines.h"
#include "log/html/palette.h"

namespace vyn::tools {
namespace {

constexpr double kMarkerRoom = 18;  // above the bars, for the markers' labels

std::string timeWithUnit(double microseconds, TimeUnit unit) {
  return figureText(inTimeUnit(microseconds, unit)) + " " + std::string(timeUnitName(unit));
}

}  // namespace

std::string histogramSvg(const HistogramInput& input) {
  const HistogramBins& bins = input.bins;
  ChartFrame frame;
  frame.height = 240;
  const double low = inTimeUnit(bins.low, input.unit);
  const double binWidth = inTimeUnit(bins.width, input.unit);
  const double high = low + binWidth * static_cast<double>(bins.counts.size());
  // Bins of width 0 (every time the same) get a bar a fortieth of the plot wide in the middle.
  const AxisRange xRange = bins.width > 0 ? ticksWithin(low, high, 8) : niceRange(low, low, 8);
  const LinearScale x{xRange.low, xRange.high, frame.plotLeft(), frame.plotRight()};
  const std::uint64_t top = std::max<std::uint64_t>({input.countScale, bins.largest(), 1});
  const AxisRange yRange = niceRange(0, static_cast<double>(top), 4, true);
  const LinearScale y{0, yRange.high, frame.plotBottom(), frame.plotTop() + kMarkerRoom};
  const std::string unit(timeUnitName(input.unit));

  std::string out;
  openChart(out, input.kind, frame, input.label);
  appendYAxis(out, frame, y, yRange.ticks, "executions");
  appendXAxis(out, frame, x, xRange.ticks, "execution time (" + unit + ")");
  out += "<g class=\"bars\"";
  appendAttribute(out, "fill", input.colour);
  out += ">\n";
  const double fallbackWidth = frame.plotWidth() / static_cast<double>(kHistogramBins);
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
    const double barTop = y(static_cast<double>(count));
    out += "<rect";
    appendAttribute(out, "x", left);
    appendAttribute(out, "y", barTop);
    // A hair narrower than the bin, so that neighbouring bars stay apart.
    appendAttribute(out, "width", std::max(right - left - 1, 0.5));
    appendAttribute(out, "height", frame.plotBottom() - barTop);
    out += "><title>";
    const std::string range = bins.width == 0 ? timeWithUnit(bins.low, input.unit)
                                              : figureText(from) + " to " + figureText(to) + " " + unit;
    appendEscaped(out, range + ": " + countText(count) + (count == 1 ? " execution" : " executions"));
    out += "</title></rect>\n";
  }
  out += "</g>\n";
  if (input.p50 && input.p99) {
    appendVerticalMarkers(
        out, frame, {"p50", palette::kOrange, x(inTimeUnit(*input.p50, input.unit)), timeWithUnit(*input.p50, input.unit)},
        {"p99", palette::kVermillion, x(inTimeUnit(*input.p99, input.unit)), timeWithUnit(*input.p99, input.unit)});
  }
  closeChart(out);
  return out;
}

}  // namespace vyn::tools
