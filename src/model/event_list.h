// A list of events with their sub-events, as stored rows, and the walk that
// every reader of event trees goes through.
#ifndef VYN_MODEL_EVENT_LIST_H_
#define VYN_MODEL_EVENT_LIST_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/event_row.h"
#include "model/event_store.h"
#include "model/event_value.h"
#include "model/text_pool.h"
#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

// One event met on a walk, with everything a reader of it may need. Views are
// valid while the list's storage lives.
struct EventItem {
  std::uint64_t depth = 0;  // levels below the top of the walked list
  std::uint32_t identifier = 0;
  std::uint32_t unit = 0;
  std::string_view name;
  EventValue value;
  std::string_view detailText;
  ByteView bytes;
};

// Rows in pre-order (see event_row.h) whose names, texts and extras live in the
// given pool and store. The rows may be a loaded log's own or derived ones.
class EventList {
 public:
  EventList() = default;
  EventList(const EventRow* rows, std::size_t count, const TextPool& texts, const EventStore& store)
      : begin_(rows), end_(rows + count), texts_(&texts), store_(&store) {}

  const EventRow* begin() const { return begin_; }
  const EventRow* end() const { return end_; }
  bool empty() const { return begin_ == end_; }
  std::size_t rowCount() const { return static_cast<std::size_t>(end_ - begin_); }
  const TextPool& texts() const { return *texts_; }
  const EventStore& store() const { return *store_; }

  EventItem item(const EventRow& row, std::uint64_t depth) const {
    EventItem item;
    item.depth = depth;
    item.identifier = row.identifier;
    item.unit = row.unit;
    item.name = texts_->view(row.name);
    item.value = rowValue(row, *texts_);
    if (row.extra != 0) {
      const EventExtra& extra = store_->extra(row.extra);
      item.detailText = texts_->view(extra.detailText);
      item.bytes = store_->bytes(extra);
    }
    return item;
  }

 private:
  const EventRow* begin_ = nullptr;
  const EventRow* end_ = nullptr;
  const TextPool* texts_ = nullptr;
  const EventStore* store_ = nullptr;
};

// Visits every event of the list in pre-order: an event, then its sub-events.
// visit(const EventItem&) returns whether to go into the event's sub-events.
template <typename Visit>
void walkEvents(const EventList& list, Visit&& visit) {
  const EventRow* row = list.begin();
  const EventRow* const end = list.end();
  if (row == end) return;
  const unsigned top = row->depth;
  while (row != end) {
    const unsigned depth = row->depth;
    const bool descend = visit(list.item(*row, depth - top));
    ++row;
    if (!descend) {
      while (row != end && row->depth > depth) ++row;
    }
  }
}

}  // namespace vyn::profiling

#endif  // VYN_MODEL_EVENT_LIST_H_
