#include "log/html/label_fit.h"

#include <algorithm>

#include "base/utf8.h"
#include "stats/figure_text.h"

namespace vyn::tools {
namespace {

// The turned y-axis title's glyphs reach x = 14 + 4; tick labels keep 3 px from them.
constexpr double kTitleEdge = 21;
constexpr double kTickLabelGap = 8;  // between a y tick label and the axis
constexpr double kSmallestLeftMargin = 72;

}  // namespace

double labelWidth(std::string_view text, bool bold) {
  const double full = bold ? kBoldLabelCharWidth : kLabelCharWidth;
  double width = 0;
  for (const char c : text) {
    if (!base::startsCharacter(c)) continue;  // inside a character
    width += c == ' ' || c == '.' || c == ',' ? full / 2 : full;
  }
  return width;
}

double centredWithin(double at, double width, double low, double high) {
  if (width >= high - low) return (low + high) / 2;
  return std::clamp(at, low + width / 2, high - width / 2);
}

double leftMarginFor(const std::vector<double>& ticks) {
  double widest = 0;
  for (const double tick : ticks) widest = std::max(widest, labelWidth(figureText(tick)));
  return std::max(kSmallestLeftMargin, kTitleEdge + widest + kTickLabelGap);
}

}  // namespace vyn::tools
