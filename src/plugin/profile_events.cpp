#include "plugin/profile_events.h"

namespace vyn::profiling {
namespace {

// Fills events with the events of rows [begin, end), whose top level is at depth.
void fillLevel(const EventList& list, const EventRow* begin, const EventRow* end, std::vector<ProfileEvent>& events) {
  const std::uint8_t depth = begin->depth;
  std::size_t count = 0;
  for (const EventRow* row = begin; row != end; ++row) count += row->depth == depth;
  events.resize(count);
  const EventRow* row = begin;
  for (ProfileEvent& event : events) {
    event.identifier = row->identifier;
    event.value = rowValue(*row, list.texts());
    event.name.assign(list.texts().view(row->name));
    event.unit = row->unit;
    event.mergeCount = 1;
    event.bytes.clear();
    event.detailText.clear();
    event.auxValue = 0;
    if (row->extra != 0) {
      const EventExtra& extra = list.store().extra(row->extra);
      const ByteView bytes = list.store().bytes(extra);
      event.bytes.assign(bytes.data, bytes.data + bytes.size);
      event.detailText.assign(list.texts().view(extra.detailText));
      event.auxValue = extra.auxValue;
    }
    const EventRow* next = row + 1;
    const EventRow* subtreeEnd = next;
    while (subtreeEnd != end && subtreeEnd->depth > depth) ++subtreeEnd;
    if (next != subtreeEnd) {
      fillLevel(list, next, subtreeEnd, event.subEvents);
    } else {
      event.subEvents.clear();
    }
    row = subtreeEnd;
  }
}

}  // namespace

void fillProfileEvents(const EventList& list, std::vector<ProfileEvent>& events) {
  if (list.empty()) {
    events.clear();
    return;
  }
  fillLevel(list, list.begin(), list.end(), events);
}

}  // namespace vyn::profiling
