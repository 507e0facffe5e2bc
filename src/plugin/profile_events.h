// A loaded log's rows as the ProfileEvent trees of the reader interface, for
// the reports that hand events to the interface's printers.
#ifndef VYN_PLUGIN_PROFILE_EVENTS_H_
#define VYN_PLUGIN_PROFILE_EVENTS_H_

#include <vector>

#include "model/event_list.h"
#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

// Makes events the list's events with their sub-events. The vectors, strings
// and events already in events are reused, so filling one vector again and again
// costs no allocation once it has held the largest list. A text value points
// into the list's text pool.
void fillProfileEvents(const EventList& list, std::vector<ProfileEvent>& events);

}  // namespace vyn::profiling

#endif  // VYN_PLUGIN_PROFILE_EVENTS_H_
