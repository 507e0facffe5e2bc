#include "stats/figure_text.h"

#include <cmath>
#include <cstdio>

#include "vyn/profiling/profile_event.h"

namespace vyn::tools {

TimeUnit resolveTimeUnit(TimeUnit wanted, double typicalMicroseconds) {
  if (wanted != TimeUnit::Auto) return wanted;
  if (typicalMicroseconds < 1e4) return TimeUnit::Micro;
  if (typicalMicroseconds < 1e7) return TimeUnit::Milli;
  return TimeUnit::Seconds;
}

std::string_view timeUnitName(TimeUnit unit) {
  switch (unit) {
    case TimeUnit::Milli:
      return "ms";
    case TimeUnit::Seconds:
      return "s";
    default:
      return "us";
  }
}

double inTimeUnit(double microseconds, TimeUnit unit) {
  switch (unit) {
    case TimeUnit::Milli:
      return microseconds / 1e3;
    case TimeUnit::Seconds:
      return microseconds / 1e6;
    default:
      return microseconds;
  }
}

std::string timeWithUnit(double microseconds, TimeUnit unit) {
  return figureText(inTimeUnit(microseconds, unit)) + " " + std::string(timeUnitName(unit));
}

std::string TimeText::operator()(double microseconds) const { return figureText(inTimeUnit(microseconds, unit_)); }

std::string TimeText::header(const char* name) const {
  return std::string(name) + " (" + std::string(timeUnitName(unit_)) + ")";
}

std::string_view eventUnitName(std::uint8_t unit) {
  using namespace profiling;
  switch (unit) {
    case EventUnit::Bytes:
      return "bytes";
    case EventUnit::Cycles:
      return "cycles";
    case EventUnit::Count:
      return "count";
    case EventUnit::Object:
      return "object";
    case EventUnit::None:
      return "none";
    default:
      return "us";
  }
}

bool isMicroseconds(std::uint8_t unit) { return eventUnitName(unit) == "us"; }

std::string figureText(double value) {
  if (!std::isfinite(value)) return "-";
  char text[64];
  if (std::fabs(value) >= 1e15) {
    // Fixed notation would run to hundreds of digits, more than a cell holds.
    std::snprintf(text, sizeof text, "%.6g", value);
  } else if (value == std::floor(value)) {
    std::snprintf(text, sizeof text, "%.0f", value);
  } else if (std::fabs(value) >= 100) {
    std::snprintf(text, sizeof text, "%.1f", value);
  } else {
    std::snprintf(text, sizeof text, "%.3g", value);
  }
  return text;
}

std::string percentText(double fraction) {
  if (!std::isfinite(fraction)) return "-";
  char text[64];
  std::snprintf(text, sizeof text, std::fabs(fraction) < 1e13 ? "%.1f%%" : "%.6g%%", fraction * 100.0);
  return text;
}

std::string countText(std::uint64_t count) {
  std::string digits = std::to_string(count);
  std::string text;
  for (std::size_t at = 0; at < digits.size(); ++at) {
    if (at != 0 && (digits.size() - at) % 3 == 0) text += ',';
    text += digits[at];
  }
  return text;
}

}  // namespace vyn::tools
