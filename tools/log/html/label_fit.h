// How wide the charts' labels are and where they fit: the charts draw text
// whose width only the browser knows, so they place it by a generous estimate
// and keep it inside the chart and off the axes.
#ifndef VYN_TOOLS_LOG_HTML_LABEL_FIT_H_
#define VYN_TOOLS_LOG_HTML_LABEL_FIT_H_

#include <string_view>
#include <vector>

namespace vyn::tools {

// Pixels per character of the charts' 11 px labels: a digit's width in the
// widest of the common sans-serif fonts, so that estimates err on the wide side.
inline constexpr double kLabelCharWidth = 7.0;
inline constexpr double kBoldLabelCharWidth = 7.7;

// The estimated width of text in the 11 px label font: kLabelCharWidth (bold:
// kBoldLabelCharWidth) per character, half that for a space, '.' or ','.
// Characters are counted as UTF-8 code points.
double labelWidth(std::string_view text, bool bold = false);

// Where to centre a label width wide that belongs at `at`: at itself when the
// label fits between low and high there, else the nearest centre that keeps it
// inside; the middle of low..high when it is wider than that.
double centredWithin(double at, double width, double low, double high);

// The left margin a y axis needs for its tick labels (right-aligned 8 px left
// of the axis) and its title turned along the axis (at x = 14): at least 72.
double leftMarginFor(const std::vector<double>& ticks);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_LABEL_FIT_H_
