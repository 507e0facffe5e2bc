// The text of a --shift: "GRAPH/EVENT PATH=CHANGE", the change a percentage.
#include <cctype>
#include <cstdint>
#include <string>

#include "synth/synth_options.h"

namespace vyn::tools {
namespace {

constexpr std::int64_t kMillionthsPerPercent = 10000;
constexpr std::int64_t kLargestChange = 1000 * kMillionthsPerPercent;  // +1000%: eleven times as long
constexpr const char* kExample = "'graph_0/Layer 7 / Compute=+10%'";

// "+10%", "-25%", "0.5%", "+.5%": a signed decimal number of percent, read
// exactly to a ten-thousandth of a percent (the fifth decimal rounds). False
// for anything else, and for numbers too long to be a sensible change.
bool parsePercent(const std::string& text, std::int64_t& millionths) {
  std::size_t at = 0;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  std::int64_t whole = 0;
  std::size_t wholeDigits = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at, ++wholeDigits) {
    if (wholeDigits == 9) return false;
    whole = whole * 10 + (text[at] - '0');
  }
  std::int64_t fraction = 0;  // in ten-thousandths
  std::size_t fractionDigits = 0;
  if (at < text.size() && text[at] == '.') {
    for (++at; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at, ++fractionDigits) {
      const int digit = text[at] - '0';
      if (fractionDigits < 4)
        fraction = fraction * 10 + digit;
      else if (fractionDigits == 4 && digit >= 5)
        ++fraction;
    }
    for (std::size_t d = fractionDigits; d < 4; ++d) fraction *= 10;
  }
  if (wholeDigits + fractionDigits == 0 || at + 1 != text.size() || text[at] != '%') return false;
  millionths = whole * kMillionthsPerPercent + fraction;
  if (negative) millionths = -millionths;
  return true;
}

}  // namespace

std::string parseSynthShift(const std::string& text, SynthShift& shift) {
  const std::size_t equals = text.rfind('=');
  const std::size_t slash = text.find('/');
  if (equals == std::string::npos || slash == std::string::npos || slash > equals) {
    return "'" + text + "': not GRAPH/EVENT PATH=CHANGE, such as " + kExample;
  }
  shift.text = text;
  shift.graph = text.substr(0, slash);
  shift.path = text.substr(slash + 1, equals - slash - 1);
  if (shift.graph.empty()) return "'" + text + "': no graph before the '/', as in " + kExample;
  if (shift.path.empty()) return "'" + text + "': no event path after the '/', as in " + kExample;
  const std::string change = text.substr(equals + 1);
  std::int64_t millionths = 0;
  if (!parsePercent(change, millionths)) {
    return "'" + text + "': the change '" + change + "' is not a percentage such as +10%, -25% or +0.5%";
  }
  if (millionths <= -100 * kMillionthsPerPercent || millionths > kLargestChange) {
    return "'" + text + "': a change of " + change + " is out of range; it must lie above -100% and at most +1000%";
  }
  shift.factorMillionths = static_cast<std::uint64_t>(1000000 + millionths);
  return {};
}

}  // namespace vyn::tools
