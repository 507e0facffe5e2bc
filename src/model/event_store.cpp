#include "model/event_store.h"

#include <cstring>
#include <memory>
#include <stdexcept>

namespace vyn::profiling {

EventSpan EventStore::append(const EventRow* rows, std::size_t count) {
  if (count == 0) return {};
  if (count > 0xFFFFFFFFu) throw std::length_error("event list too long");
  // Raw storage: rows are copied in, never default-made first.
  EventRow* stored = memory_.allocateArray<EventRow>(count);
  std::uninitialized_copy_n(rows, count, stored);
  rowCount_ += count;
  return {stored, static_cast<std::uint32_t>(count)};
}

std::uint32_t EventStore::addExtra(EventExtra extra, const std::uint8_t* bytes, std::size_t byteCount) {
  extra.bytes = nullptr;
  extra.byteCount = 0;
  if (byteCount > 0) {
    auto* stored = reinterpret_cast<std::uint8_t*>(memory_.allocate(byteCount));
    std::memcpy(stored, bytes, byteCount);
    extra.bytes = stored;
    extra.byteCount = static_cast<std::uint32_t>(byteCount);
  }
  extras_.push_back(extra);
  return static_cast<std::uint32_t>(extras_.size());
}

}  // namespace vyn::profiling
