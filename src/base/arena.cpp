#include "base/arena.h"

#include <algorithm>
#include <cstdint>

namespace vyn::base {

char* Arena::allocateAligned(std::size_t bytes, std::size_t alignment) {
  if (bytes == 0) bytes = 1;
  const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(next_) & (alignment - 1);
  const std::size_t padding = misalignment == 0 ? 0 : alignment - misalignment;
  if (next_ != nullptr && padding <= remaining_ && bytes <= remaining_ - padding) {
    char* piece = next_ + padding;
    next_ = piece + bytes;
    remaining_ -= padding + bytes;
    return piece;
  }
  return allocateFallback(bytes, alignment);
}

char* Arena::allocateFallback(std::size_t bytes, std::size_t alignment) {
  // A block from new[] is aligned for every fundamental type; a larger
  // alignment is made by asking for more.
  const std::size_t slack = alignment > alignof(std::max_align_t) ? alignment - 1 : 0;
  if (bytes + slack > nextBlockBytes_ / 4) {
    char* own = newBlock(bytes + slack);
    const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(own) & (alignment - 1);
    return misalignment == 0 ? own : own + (alignment - misalignment);
  }
  // What is left of the current block is given up: less than the piece asked.
  next_ = newBlock(nextBlockBytes_);
  remaining_ = nextBlockBytes_;
  nextBlockBytes_ = std::min(2 * nextBlockBytes_, kLargestBlockBytes);
  return alignment == 1 ? allocate(bytes) : allocateAligned(bytes, alignment);
}

char* Arena::newBlock(std::size_t bytes) {
  // Not cleared: every piece is written before it is read.
  blocks_.emplace_back(new char[bytes]);
  blockBytes_ += bytes;
  return blocks_.back().get();
}

}  // namespace vyn::base
