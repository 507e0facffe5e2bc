#include "model/text_pool.h"

#include <algorithm>
#include <cstring>

namespace vyn::profiling {
namespace {

// Blocks double up to this size; a longer text gets a block of its own.
constexpr std::size_t kLargestBlockBytes = std::size_t{1} << 20;

}  // namespace

TextPool::TextPool() { add({}); }

TextId TextPool::add(std::string_view text) {
  char* chars = room(text.size() + 1);
  if (!text.empty()) std::memcpy(chars, text.data(), text.size());
  chars[text.size()] = '\0';
  const bool separators = text.find_first_of(",\"\r\n") != std::string_view::npos;
  entries_.push_back({chars, static_cast<std::uint32_t>(text.size()), separators});
  return static_cast<TextId>(entries_.size() - 1);
}

char* TextPool::room(std::size_t bytes) {
  if (bytes > freeBytes_) {
    const std::size_t size = std::max(bytes, nextBlockBytes_);
    nextBlockBytes_ = std::min(nextBlockBytes_ * 2, kLargestBlockBytes);
    blocks_.emplace_back(new char[size]);  // not cleared: every byte is written before it is read
    free_ = blocks_.back().get();
    freeBytes_ = size;
  }
  char* chars = free_;
  free_ += bytes;
  freeBytes_ -= bytes;
  return chars;
}

}  // namespace vyn::profiling
