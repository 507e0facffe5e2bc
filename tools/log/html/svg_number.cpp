#include "log/html/svg_number.h"

#include <cmath>
#include <cstdio>

namespace vyn::tools {

void appendSvgNumber(std::string& out, double value) {
  if (!std::isfinite(value)) value = 0;
  double tenths = std::round(value * 10.0);
  if (tenths == 0) tenths = 0;  // no "-0"
  char text[48];
  const long long whole = static_cast<long long>(tenths);
  if (whole % 10 == 0) {
    std::snprintf(text, sizeof text, "%lld", whole / 10);
  } else {
    std::snprintf(text, sizeof text, "%.1f", tenths / 10.0);
  }
  out += text;
}

std::string svgNumber(double value) {
  std::string out;
  appendSvgNumber(out, value);
  return out;
}

}  // namespace vyn::tools
