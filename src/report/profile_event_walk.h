// The walk over event trees that a host hands to the reader interface's
// printers, the same walk as over a loaded log's rows.
#ifndef VYN_REPORT_PROFILE_EVENT_WALK_H_
#define VYN_REPORT_PROFILE_EVENT_WALK_H_

#include <cstdint>
#include <vector>

#include "model/event_list.h"
#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

// Visits every event in pre-order; visit(const EventItem&) returns whether to go
// into the event's sub-events.
template <typename Visit>
void walkEvents(const std::vector<ProfileEvent>& events, Visit&& visit, std::uint64_t depth = 0) {
  for (const ProfileEvent& event : events) {
    EventItem item;
    item.depth = depth;
    item.identifier = event.identifier;
    item.unit = event.unit;
    item.name = event.name;
    item.value = event.value;
    item.detailText = event.detailText;
    item.bytes = {event.bytes.data(), event.bytes.size()};
    if (visit(static_cast<const EventItem&>(item))) walkEvents(event.subEvents, visit, depth + 1);
  }
}

}  // namespace vyn::profiling

#endif  // VYN_REPORT_PROFILE_EVENT_WALK_H_
