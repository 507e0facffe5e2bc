#include "log/html/timeline_svg.h"

#include <algorithm>

#include "log/html/axis_ticks.h"
#include "log/html/chart_frame.h"
#include "log/html/html_escape.h"
#include "log/html/label_fit.h"
#include "log/html/marker_lines.h"
#include "log/html/palette.h"
#include "log/html/svg_number.h"
#include "log/html/timeline_envelope.h"

namespace vyn::tools {
namespace {

// Executions up to this many are drawn as dots with their own tooltips too.
constexpr std::size_t kMaxDots = 60;

void appendPoint(std::string& out, char command, double x, double y) {
  out += command;
  appendSvgNumber(out, x);
  out += ',';
  appendSvgNumber(out, y);
}

}  // namespace

std::string timelineSvg(const TimelineInput& input) {
  const std::vector<double>& times = *input.times;
  double low = 0;
  double high = 0;
  if (!times.empty()) {
    const auto [least, most] = std::minmax_element(times.begin(), times.end());
    low = *least;
    high = *most;
  }
  const AxisRange yRange = niceRange(inTimeUnit(low, input.unit), inTimeUnit(high, input.unit), 5);
  ChartFrame frame;
  frame.left = leftMarginFor(yRange.ticks);
  const auto columns = static_cast<std::size_t>(frame.plotWidth());
  const std::vector<EnvelopeColumn> bands = envelope(times, columns);
  const LinearScale y{yRange.low, yRange.high, frame.plotBottom(), frame.plotTop()};
  const double first = static_cast<double>(input.firstNumber);
  const double last = first + static_cast<double>(times.empty() ? 0 : times.size() - 1);
  const AxisRange xRange = ticksWithin(first, last, 8, true);
  // One execution sits in the middle of the plot.
  const LinearScale x{first, last == first ? first : last, frame.plotLeft() + (last == first ? 0 : 4),
                      frame.plotRight() - (last == first ? 0 : 4)};
  auto yOf = [&](double microseconds) { return y(inTimeUnit(microseconds, input.unit)); };

  std::string out;
  openChart(out, "timeline", frame, "execution time of each execution of graph " + input.graph);
  const std::string unit(timeUnitName(input.unit));
  appendYAxis(out, frame, y, yRange.ticks, "execution time (" + unit + ")");
  appendXAxis(out, frame, x, xRange.ticks, "execution (number in the log)");

  if (!bands.empty() && bands.size() < times.size()) {
    // The band: largest times left to right, then smallest back; the stroke
    // keeps columns whose executions all took the same time visible.
    out += "<path class=\"series envelope\"";
    appendAttribute(out, "fill", palette::kBlue);
    appendAttribute(out, "stroke", palette::kBlue);
    out += " stroke-width=\"1\" stroke-linejoin=\"round\" d=\"";
    char command = 'M';
    for (const EnvelopeColumn& band : bands) {
      const double middle = first + static_cast<double>(band.first + band.end - 1) / 2;
      appendPoint(out, command, x(middle), yOf(band.max));
      command = 'L';
    }
    for (auto band = bands.rbegin(); band != bands.rend(); ++band) {
      const double middle = first + static_cast<double>(band->first + band->end - 1) / 2;
      appendPoint(out, 'L', x(middle), yOf(band->min));
    }
    out += "Z\"><title>";
    appendEscaped(out, "smallest to largest execution time of the executions in each pixel column (" +
                           countText(times.size()) + " executions)");
    out += "</title></path>\n";
  } else if (!bands.empty()) {
    out += "<path class=\"series\" fill=\"none\"";
    appendAttribute(out, "stroke", palette::kBlue);
    out += " stroke-width=\"1.5\" stroke-linejoin=\"round\" d=\"";
    for (std::size_t at = 0; at < times.size(); ++at) {
      appendPoint(out, at == 0 ? 'M' : 'L', x(first + static_cast<double>(at)), yOf(times[at]));
    }
    out += "\"/>\n";
    if (times.size() <= kMaxDots) {
      for (std::size_t at = 0; at < times.size(); ++at) {
        out += "<circle r=\"3.5\"";
        appendAttribute(out, "cx", x(first + static_cast<double>(at)));
        appendAttribute(out, "cy", yOf(times[at]));
        appendAttribute(out, "fill", palette::kBlue);
        out += "><title>";
        appendEscaped(out,
                      "execution " + countText(input.firstNumber + at) + ": " + timeWithUnit(times[at], input.unit));
        out += "</title></circle>\n";
      }
    }
  }
  if (!times.empty()) {
    appendHorizontalMarkers(out, frame, {"p50", palette::kOrange, yOf(input.p50), timeWithUnit(input.p50, input.unit)},
                            {"p99", palette::kVermillion, yOf(input.p99), timeWithUnit(input.p99, input.unit)});
  }
  closeChart(out);
  return out;
}

}  // namespace vyn::tools
