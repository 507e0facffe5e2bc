#include "log/html/marker_lines.h"

#include <cmath>

#include "log/html/html_escape.h"

namespace vyn::tools {
namespace {

constexpr double kLabelHeight = 13;

void appendLabel(std::string& out, double x, double y, std::string_view anchor, const Marker& marker) {
  out += "<text";
  appendAttribute(out, "x", x);
  appendAttribute(out, "y", y);
  appendAttribute(out, "text-anchor", anchor);
  out += "><tspan font-weight=\"bold\"";
  appendAttribute(out, "fill", marker.colour);
  out += ">";
  appendEscaped(out, marker.name);
  out += "</tspan> ";
  appendEscaped(out, marker.value);
  out += "</text>\n";
}

void appendLine(std::string& out, double x1, double y1, double x2, double y2, const Marker& marker,
                bool dashed) {
  out += "<line";
  appendAttribute(out, "class", "marker " + std::string(marker.name));
  appendAttribute(out, "x1", x1);
  appendAttribute(out, "y1", y1);
  appendAttribute(out, "x2", x2);
  appendAttribute(out, "y2", y2);
  appendAttribute(out, "stroke", marker.colour);
  out += " stroke-width=\"2\"";
  if (dashed) out += " stroke-dasharray=\"6 3\"";
  out += "/>\n";
}

}  // namespace

void appendHorizontalMarkers(std::string& out, const ChartFrame& frame, Marker lower, Marker upper) {
  appendLine(out, frame.plotLeft(), lower.position, frame.plotRight(), lower.position, lower, false);
  appendLine(out, frame.plotLeft(), upper.position, frame.plotRight(), upper.position, upper, false);
  // The upper line is higher up (a smaller y); its label keeps a line's height above the lower one's.
  double lowerY = lower.position + 4;
  double upperY = upper.position + 4;
  if (lowerY - upperY < kLabelHeight) {
    const double middle = (lowerY + upperY) / 2;
    lowerY = middle + kLabelHeight / 2;
    upperY = middle - kLabelHeight / 2;
  }
  appendLabel(out, frame.plotRight() + 6, lowerY, "start", lower);
  appendLabel(out, frame.plotRight() + 6, upperY, "start", upper);
}

void appendVerticalMarkers(std::string& out, const ChartFrame& frame, const Marker& lower, const Marker& upper) {
  appendLine(out, lower.position, frame.plotTop() + kLabelHeight, lower.position, frame.plotBottom(), lower, true);
  appendLine(out, upper.position, frame.plotTop() + kLabelHeight, upper.position, frame.plotBottom(), upper, true);
  appendLabel(out, lower.position - 3, frame.plotTop() + 9, "end", lower);
  appendLabel(out, upper.position + 3, frame.plotTop() + 9, "start", upper);
}

}  // namespace vyn::tools
