// The inferences-per-second figure of the overall execution statistic.
#ifndef VYN_STATS_INFERENCE_RATE_H_
#define VYN_STATS_INFERENCE_RATE_H_

#include <optional>

#include "model/event_list.h"

namespace vyn::profiling {

// The overall statistic carries two events, a duration in microseconds and an
// inference count, in either order: the first one is the duration when it is
// named "duration", otherwise the second one is. Further events are ignored.
// The figure is count * 1000000 / duration in single precision, 0 for a zero
// duration. Nothing when fewer than two events are given.
std::optional<float> inferencesPerSecond(const EventList& overallEvents);

}  // namespace vyn::profiling

#endif  // VYN_STATS_INFERENCE_RATE_H_
