#include "model/event_store.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

namespace vyn::profiling {
namespace {

// Blocks start small, for small logs, and double up to a size whose unused
// end is a negligible part of a large log; a larger list gets a block of its own.
constexpr std::size_t kFirstBlockRows = 1024;
constexpr std::size_t kLargestBlockRows = 64 * 1024;
constexpr std::size_t kFirstByteBlock = 4096;
constexpr std::size_t kLargestByteBlock = std::size_t{1} << 20;

}  // namespace

EventSpan EventStore::append(const EventRow* rows, std::size_t count) {
  if (count == 0) return {};
  if (count > 0xFFFFFFFFu) throw std::length_error("event list too long");
  if (rowBlocks_.empty() || rowBlocks_.back().capacity - rowBlocks_.back().used < count) {
    const std::size_t last = rowBlocks_.empty() ? kFirstBlockRows / 2 : rowBlocks_.back().capacity;
    RowBlock block;
    block.capacity = std::max(count, std::min(2 * last, kLargestBlockRows));
    // Raw storage: rows are copied in, never default-made first.
    block.rows.reset(static_cast<EventRow*>(::operator new(block.capacity * sizeof(EventRow))));
    rowBlocks_.push_back(std::move(block));
  }
  RowBlock& block = rowBlocks_.back();
  std::uninitialized_copy_n(rows, count, block.rows.get() + block.used);
  const EventSpan span{static_cast<std::uint32_t>(rowBlocks_.size() - 1),
                       static_cast<std::uint32_t>(block.used), static_cast<std::uint32_t>(count)};
  block.used += count;
  rowCount_ += count;
  return span;
}

std::uint32_t EventStore::addExtra(EventExtra extra, const std::uint8_t* bytes,
                                   std::size_t byteCount) {
  if (byteCount > 0) {
    if (byteBlocks_.empty() || byteBlocks_.back().capacity - byteBlocks_.back().used < byteCount) {
      const std::size_t last = byteBlocks_.empty() ? kFirstByteBlock / 2 : byteBlocks_.back().capacity;
      ByteBlock block;
      block.capacity = std::max(byteCount, std::min(2 * last, kLargestByteBlock));
      block.bytes.reset(new std::uint8_t[block.capacity]);
      byteBlocks_.push_back(std::move(block));
    }
    ByteBlock& block = byteBlocks_.back();
    std::memcpy(block.bytes.get() + block.used, bytes, byteCount);
    extra.byteBlock = static_cast<std::uint32_t>(byteBlocks_.size() - 1);
    extra.byteOffset = static_cast<std::uint32_t>(block.used);
    extra.byteCount = static_cast<std::uint32_t>(byteCount);
    block.used += byteCount;
  }
  extras_.push_back(extra);
  return static_cast<std::uint32_t>(extras_.size());
}

ByteView EventStore::bytes(const EventExtra& extra) const {
  if (extra.byteCount == 0) return {};
  return {byteBlocks_[extra.byteBlock].bytes.get() + extra.byteOffset, extra.byteCount};
}

}  // namespace vyn::profiling
