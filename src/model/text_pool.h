// The texts of a loaded log: names of events, graphs and phases, text values
// and data-file names, each stored once and known by a 32-bit id.
#ifndef VYN_MODEL_TEXT_POOL_H_
#define VYN_MODEL_TEXT_POOL_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/arena.h"
#include "model/text_id.h"

namespace vyn::profiling {

// An append-only table of NUL-free texts. Storage never moves: the characters
// of a text stay at one address, NUL-terminated, for the pool's whole life,
// which is what a string-valued event's payload points to.
class TextPool {
 public:
  TextPool();
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;

  // Stores text (which must hold no NUL byte) under a new id; it does not look
  // for an equal text already stored.
  TextId add(std::string_view text);

  std::string_view view(TextId id) const { return {entries_[id.value()].chars, entries_[id.value()].length}; }
  const char* cString(TextId id) const { return entries_[id.value()].chars; }
  std::size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    const char* chars;
    std::uint32_t length;
  };

  base::Arena chars_;
  std::vector<Entry> entries_;
};

}  // namespace vyn::profiling

#endif  // VYN_MODEL_TEXT_POOL_H_
