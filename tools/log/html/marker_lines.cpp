#include "log/html/marker_lines.h"

#include <algorithm>

#include "log/html/html_escape.h"
#include "log/html/label_fit.h"

namespace vyn::tools {
namespace {

constexpr double kLabelHeight = 13;  // a row of 11 px labels
constexpr double kAscent = 9;        // from a label's baseline to the top of its tallest glyph
constexpr double kDescent = 3;
constexpr double kLineGap = 4;  // between a line and its label
constexpr double kEdgeGap = 2;  // between a label and the chart's edge

void appendLabel(std::string& out, const LabelSpot& spot, const Marker& marker) {
  out += "<text class=\"marker-label\"";
  appendAttribute(out, "x", spot.x);
  appendAttribute(out, "y", spot.y);
  out += "><tspan font-weight=\"bold\"";
  appendAttribute(out, "fill", marker.colour);
  out += ">";
  appendEscaped(out, marker.name);
  out += "</tspan> ";
  appendEscaped(out, marker.value);
  out += "</text>\n";
}

void appendLine(std::string& out, double x1, double y1, double x2, double y2, const Marker& marker, bool dashed) {
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

double markerLabelWidth(const Marker& marker) { return labelWidth(marker.name, true) + labelWidth(" " + marker.value); }

std::pair<LabelSpot, LabelSpot> horizontalLabelSpots(const ChartFrame& frame, const Marker& lower,
                                                     const Marker& upper) {
  // The upper line is higher up (a smaller y); its label keeps a row above the lower one's.
  double lowerY = lower.position + 4;
  double upperY = upper.position + 4;
  if (lowerY - upperY < kLabelHeight) {
    const double middle = (lowerY + upperY) / 2;
    lowerY = middle + kLabelHeight / 2;
    upperY = middle - kLabelHeight / 2;
  }
  // Both move together to stay level with the plot, clear of the x axis' labels
  // under it, and inside the chart at the top.
  const double up = std::max(0.0, lowerY - (frame.plotBottom() + 4));
  lowerY -= up;
  upperY -= up;
  const double down = std::max(0.0, kAscent + kEdgeGap - upperY);
  lowerY += down;
  upperY += down;
  const double x = frame.plotRight() + 6;
  return {{x, lowerY}, {x, upperY}};
}

std::pair<LabelSpot, LabelSpot> verticalLabelSpots(const ChartFrame& frame, const Marker& lower, const Marker& upper) {
  const double lowerWidth = markerLabelWidth(lower);
  const double upperWidth = markerLabelWidth(upper);
  const double rightEdge = frame.width - kEdgeGap;
  // The lower label ends left of its line unless that reaches past the plot's left edge.
  double lowerX = lower.position - kLineGap - lowerWidth;
  if (lowerX < frame.plotLeft()) lowerX = std::min(lower.position + kLineGap, rightEdge - lowerWidth);
  // The upper label starts right of its line unless that reaches past the chart's right edge.
  double upperX = upper.position + kLineGap;
  if (upperX + upperWidth > rightEdge) {
    upperX = std::max(upper.position - kLineGap - upperWidth, frame.plotLeft());
  }
  const double nearRow = frame.plotTop() - kDescent - kEdgeGap;
  const bool apart = lowerX + lowerWidth + kLineGap <= upperX || upperX + upperWidth + kLineGap <= lowerX;
  return {{lowerX, nearRow}, {upperX, apart ? nearRow : nearRow - kLabelHeight - 1}};
}

void appendHorizontalMarkers(std::string& out, const ChartFrame& frame, const Marker& lower, const Marker& upper) {
  appendLine(out, frame.plotLeft(), lower.position, frame.plotRight(), lower.position, lower, false);
  appendLine(out, frame.plotLeft(), upper.position, frame.plotRight(), upper.position, upper, false);
  const auto [lowerSpot, upperSpot] = horizontalLabelSpots(frame, lower, upper);
  appendLabel(out, lowerSpot, lower);
  appendLabel(out, upperSpot, upper);
}

void appendVerticalMarkers(std::string& out, const ChartFrame& frame, const Marker& lower, const Marker& upper) {
  appendLine(out, lower.position, frame.plotTop(), lower.position, frame.plotBottom(), lower, true);
  appendLine(out, upper.position, frame.plotTop(), upper.position, frame.plotBottom(), upper, true);
  const auto [lowerSpot, upperSpot] = verticalLabelSpots(frame, lower, upper);
  appendLabel(out, lowerSpot, lower);
  appendLabel(out, upperSpot, upper);
}

}  // namespace vyn::tools
