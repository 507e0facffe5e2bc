// The rows of every event of a loaded log, with the few extras some carry.
#ifndef VYN_MODEL_EVENT_STORE_H_
#define VYN_MODEL_EVENT_STORE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/arena.h"
#include "model/event_row.h"

namespace vyn::profiling {

// Raw bytes of an event, as stored.
struct ByteView {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// An append-only table. Rows never move, and the rows given to one append()
// stay side by side, so a list of events is one span of memory. Nothing is ever
// removed: a list that replaces another leaves the old rows where they are,
// unreferenced.
class EventStore {
 public:
  EventStore() = default;
  EventStore(const EventStore&) = delete;
  EventStore& operator=(const EventStore&) = delete;

  EventSpan append(const EventRow* rows, std::size_t count);
  const EventRow* rows(EventSpan span) const { return span.first(); }

  // Stores the extra and its bytes; the result goes into EventRow::extra.
  std::uint32_t addExtra(EventExtra extra, const std::uint8_t* bytes, std::size_t byteCount);
  // REQUIRES: reference is a row's non-zero extra.
  const EventExtra& extra(std::uint32_t reference) const { return extras_[reference - 1]; }
  ByteView bytes(const EventExtra& extra) const { return {extra.bytes, extra.byteCount}; }

  std::size_t rowCount() const { return rowCount_; }

 private:
  base::Arena memory_;  // rows and bytes
  std::size_t rowCount_ = 0;
  std::vector<EventExtra> extras_;
};

}  // namespace vyn::profiling

#endif  // VYN_MODEL_EVENT_STORE_H_
