#include "log/html/chart_frame.h"

#include "log/html/html_escape.h"
#include "log/html/label_fit.h"
#include "log/html/svg_number.h"
#include "stats/figure_text.h"

namespace vyn::tools {

double LinearScale::operator()(double value) const {
  if (domainHigh == domainLow) return (rangeLow + rangeHigh) / 2;
  return rangeLow + (value - domainLow) / (domainHigh - domainLow) * (rangeHigh - rangeLow);
}

void appendAttribute(std::string& out, std::string_view name, std::string_view value) {
  out += ' ';
  out += name;
  out += "=\"";
  appendEscaped(out, value);
  out += '"';
}

void appendAttribute(std::string& out, std::string_view name, double value) {
  out += ' ';
  out += name;
  out += "=\"";
  appendSvgNumber(out, value);
  out += '"';
}

void openChart(std::string& out, std::string_view kind, const ChartFrame& frame, std::string_view label) {
  out += "<svg";
  appendAttribute(out, "class", "chart " + std::string(kind));
  appendAttribute(out, "width", frame.width);
  appendAttribute(out, "height", frame.height);
  appendAttribute(out, "viewBox", "0 0 " + svgNumber(frame.width) + " " + svgNumber(frame.height));
  out += " role=\"img\"";
  appendAttribute(out, "aria-label", label);
  out += ">\n";
}

void closeChart(std::string& out) { out += "</svg>\n"; }

void appendXAxis(std::string& out, const ChartFrame& frame, const LinearScale& x, const std::vector<double>& ticks,
                 std::string_view title) {
  const double base = frame.plotBottom();
  out += "<g class=\"axis x\"><line";
  appendAttribute(out, "x1", frame.plotLeft());
  appendAttribute(out, "y1", base);
  appendAttribute(out, "x2", frame.plotRight());
  appendAttribute(out, "y2", base);
  out += " stroke=\"#000000\"/>\n";
  for (const double tick : ticks) {
    const double at = x(tick);
    const std::string label = figureText(tick);
    out += "<line";
    appendAttribute(out, "x1", at);
    appendAttribute(out, "y1", base);
    appendAttribute(out, "x2", at);
    appendAttribute(out, "y2", base + 5);
    // A label at the chart's edge moves in rather than being cut off there.
    out += " stroke=\"#000000\"/><text";
    appendAttribute(out, "x", centredWithin(at, labelWidth(label), 0, frame.width));
    appendAttribute(out, "y", base + 17);
    out += " text-anchor=\"middle\">";
    appendEscaped(out, label);
    out += "</text>\n";
  }
  out += "<text class=\"axis-title\"";
  appendAttribute(out, "x", (frame.plotLeft() + frame.plotRight()) / 2);
  appendAttribute(out, "y", frame.height - 6);
  out += " text-anchor=\"middle\">";
  appendEscaped(out, title);
  out += "</text></g>\n";
}

void appendYAxis(std::string& out, const ChartFrame& frame, const LinearScale& y, const std::vector<double>& ticks,
                 std::string_view title) {
  const double side = frame.plotLeft();
  out += "<g class=\"axis y\">";
  for (const double tick : ticks) {
    const double at = y(tick);
    out += "<line";
    appendAttribute(out, "x1", side);
    appendAttribute(out, "y1", at);
    appendAttribute(out, "x2", frame.plotRight());
    appendAttribute(out, "y2", at);
    out += " stroke=\"#DDDDDD\"/><line";
    appendAttribute(out, "x1", side - 5);
    appendAttribute(out, "y1", at);
    appendAttribute(out, "x2", side);
    appendAttribute(out, "y2", at);
    out += " stroke=\"#000000\"/><text";
    appendAttribute(out, "x", side - 8);
    appendAttribute(out, "y", at + 4);
    out += " text-anchor=\"end\">";
    appendEscaped(out, figureText(tick));
    out += "</text>\n";
  }
  out += "<line";
  appendAttribute(out, "x1", side);
  appendAttribute(out, "y1", frame.plotTop());
  appendAttribute(out, "x2", side);
  appendAttribute(out, "y2", frame.plotBottom());
  out += " stroke=\"#000000\"/>\n";
  const double middle = (frame.plotTop() + frame.plotBottom()) / 2;
  out += "<text class=\"axis-title\"";
  appendAttribute(out, "x", 14);
  appendAttribute(out, "y", middle);
  appendAttribute(out, "transform", "rotate(-90 14 " + svgNumber(middle) + ")");
  out += " text-anchor=\"middle\">";
  appendEscaped(out, title);
  out += "</text></g>\n";
}

}  // namespace vyn::tools
