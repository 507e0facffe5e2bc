#include "report/inference_rate.h"

#include <cstdint>

#include "capture/event_value.h"

namespace vyn::profiling {

std::optional<float> inferencesPerSecond(const std::vector<ProfileEvent>& overallEvents) {
  if (overallEvents.size() < 2) return std::nullopt;
  const ProfileEvent& first = overallEvents[0];
  const ProfileEvent& second = overallEvents[1];
  const bool durationFirst = first.name == "duration";
  const std::uint64_t duration = eventValueAsUnsigned((durationFirst ? first : second).value);
  const std::uint64_t count = eventValueAsUnsigned((durationFirst ? second : first).value);
  if (duration == 0) return 0.0f;
  // Single precision throughout: the figure printed is the float result.
  return static_cast<float>(count) * 1000000.0f / static_cast<float>(duration);
}

}  // namespace vyn::profiling
