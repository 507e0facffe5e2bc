#include "log/html/icicle_svg.h"

#include <algorithm>

#include "base/utf8.h"
#include "log/html/axis_ticks.h"
#include "log/html/chart_frame.h"
#include "log/html/html_escape.h"
#include "log/html/palette.h"

namespace vyn::tools {
namespace {

constexpr double kRowHeight = 20;
constexpr double kCharWidth = 6.6;  // of the 11 px labels, roughly, for fitting them
constexpr double kNarrowest = 0.3;  // pixels; narrower rectangles are not drawn

// "per execution: mean 390 us · p99 399.8 us · 27.9% of the execution time":
// every figure of a box on the one base it states.
std::string perExecutionText(double mean, double p99, double share, TimeUnit unit) {
  return "per execution: mean " + timeWithUnit(mean, unit) + " \xC2\xB7 p99 " + timeWithUnit(p99, unit) + " \xC2\xB7 " +
         percentText(share) + " of the execution time";
}

// The name, cut at a character boundary with an ellipsis, to fit width pixels; empty when
// not even a few characters fit.
std::string fittedLabel(const std::string& name, double width) {
  const auto room = static_cast<std::size_t>(std::max((width - 6) / kCharWidth, 0.0));
  if (room < 3) return {};
  std::size_t characters = 0;
  for (std::size_t at = 0; at < name.size(); ++at) {
    if (!base::startsCharacter(name[at])) continue;
    if (characters == room - 1) {
      // More than room characters: keep room - 1 of them and the ellipsis.
      if (base::characterCount(std::string_view(name).substr(at)) > 1) return name.substr(0, at) + "\xE2\x80\xA6";
      return name;
    }
    ++characters;
  }
  return name;
}

void appendBox(std::string& out, double left, double top, double width, std::string_view fill, const std::string& label,
               const std::string& tooltip) {
  out += "<rect";
  appendAttribute(out, "x", left);
  appendAttribute(out, "y", top);
  appendAttribute(out, "width", width);
  appendAttribute(out, "height", kRowHeight - 1);
  appendAttribute(out, "fill", fill);
  out += "><title>";
  appendEscaped(out, tooltip);
  out += "</title></rect>";
  const std::string text = fittedLabel(label, width);
  if (!text.empty()) {
    out += "<text";
    appendAttribute(out, "x", left + 4);
    appendAttribute(out, "y", top + 14);
    appendAttribute(out, "fill", palette::textOn(fill));
    out += ">";
    appendEscaped(out, text);
    out += "</text>";
  }
  out += "\n";
}

}  // namespace

std::string icicleSvg(const IcicleInput& input) {
  std::vector<IcicleNode> nodes;
  nodes.reserve(input.events.size());
  for (const IcicleEvent& event : input.events) nodes.push_back({event.parent, event.mean});
  const std::vector<IcicleBox> boxes = icicleLayout(nodes, input.executionMean);
  std::uint32_t deepest = 0;
  for (const IcicleBox& box : boxes) deepest = std::max(deepest, box.depth + 1);

  ChartFrame frame;
  frame.left = 12;
  frame.right = 12;
  frame.top = 4;
  frame.height = frame.top + kRowHeight * (deepest + 1) + 8 + frame.bottom;
  const double unitMean = inTimeUnit(input.executionMean, input.unit);
  const AxisRange xRange = ticksWithin(0, unitMean, 8);
  const LinearScale x{0, unitMean, frame.plotLeft(), frame.plotRight()};

  std::string out;
  openChart(out, "icicle", frame, "mean time per execution of graph " + input.graph + " by event");
  appendXAxis(out, frame, x, xRange.ticks, "mean time per execution (" + std::string(timeUnitName(input.unit)) + ")");
  out += "<g class=\"boxes\">\n";
  const std::string unit(timeUnitName(input.unit));
  appendBox(out, frame.plotLeft(), frame.plotTop(), frame.plotWidth(), palette::kBlack, "execution",
            "execution\n" + perExecutionText(input.executionMean, input.executionP99, 1, input.unit));
  // Each top-level event's tree is coloured from its own place in the palette, one step on per level.
  std::vector<std::size_t> colourOf(input.events.size(), 0);
  std::size_t topLevel = 0;
  for (std::size_t at = 0; at < input.events.size(); ++at) {
    const std::uint32_t parent = input.events[at].parent;
    colourOf[at] = parent == kIcicleTop || parent >= at ? topLevel++ : colourOf[parent] + 1;
  }
  for (const IcicleBox& box : boxes) {
    const double width = (box.right - box.left) * frame.plotWidth();
    if (width < kNarrowest) continue;
    const IcicleEvent& event = input.events[box.node];
    const std::string_view fill = palette::kAreaFills[colourOf[box.node] % palette::kAreaFillCount];
    const double top = frame.plotTop() + kRowHeight * (box.depth + 1);
    appendBox(out, frame.plotLeft() + box.left * frame.plotWidth(), top, width, fill, event.name,
              event.path + "\n" + perExecutionText(event.mean, event.p99, event.share, input.unit));
  }
  out += "</g>\n";
  closeChart(out);
  return out;
}

}  // namespace vyn::tools
