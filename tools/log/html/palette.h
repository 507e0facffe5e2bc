// The charts' colours: a palette whose colours stay distinct for readers with
// the common kinds of colour blindness, and the text colour that reads on each.
#ifndef VYN_TOOLS_LOG_HTML_PALETTE_H_
#define VYN_TOOLS_LOG_HTML_PALETTE_H_

#include <cstddef>
#include <string_view>

namespace vyn::tools::palette {

inline constexpr std::string_view kBlue = "#0072B2";        // the main series and bars
inline constexpr std::string_view kOrange = "#E69F00";      // the median
inline constexpr std::string_view kVermillion = "#D55E00";  // the 99th percentile
inline constexpr std::string_view kSkyBlue = "#56B4E9";
inline constexpr std::string_view kBluishGreen = "#009E73";
inline constexpr std::string_view kReddishPurple = "#CC79A7";
inline constexpr std::string_view kYellow = "#F0E442";
inline constexpr std::string_view kBlack = "#000000";

// Fills for neighbouring areas (the icicle's rectangles), in an order in which
// adjacent ones differ in lightness as well as hue.
inline constexpr std::string_view kAreaFills[] = {kSkyBlue, kOrange,     kBluishGreen, kReddishPurple,
                                                  kYellow,  kVermillion, kBlue};
inline constexpr std::size_t kAreaFillCount = sizeof kAreaFills / sizeof kAreaFills[0];

// Black on the light fills, white on the dark ones.
inline constexpr std::string_view textOn(std::string_view fill) {
  return fill == kBlue || fill == kVermillion || fill == kBlack ? "#FFFFFF" : "#000000";
}

}  // namespace vyn::tools::palette

#endif  // VYN_TOOLS_LOG_HTML_PALETTE_H_
