#include "stats/inference_rate.h"

#include <cstdint>

namespace vyn::profiling {

std::optional<float> inferencesPerSecond(const EventList& overallEvents) {
  EventItem first;
  EventItem second;
  int seen = 0;
  walkEvents(overallEvents, [&](const EventItem& event) {
    if (seen == 0) first = event;
    if (seen == 1) second = event;
    ++seen;
    return false;
  });
  if (seen < 2) return std::nullopt;
  const bool durationFirst = first.name == "duration";
  const std::uint64_t duration = valueAsUnsigned((durationFirst ? first : second).value);
  const std::uint64_t count = valueAsUnsigned((durationFirst ? second : first).value);
  if (duration == 0) return 0.0f;
  // Single precision throughout: the figure printed is the float result.
  return static_cast<float>(count) * 1000000.0f / static_cast<float>(duration);
}

}  // namespace vyn::profiling
