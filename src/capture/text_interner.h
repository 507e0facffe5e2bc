// Texts of a log stored once each: the same name met in a million events is one
// entry of the pool and the same id in every row.
#ifndef VYN_CAPTURE_TEXT_INTERNER_H_
#define VYN_CAPTURE_TEXT_INTERNER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "model/text_pool.h"

namespace vyn::profiling {

// The index is an open-addressing table of ids with the low half of each text's
// hash beside it, so that a lookup compares texts only when the hashes agree and
// growing the table hashes nothing again.
class TextInterner {
 public:
  // Knows every text already in pool.
  explicit TextInterner(TextPool& pool);
  TextInterner(const TextInterner&) = delete;
  TextInterner& operator=(const TextInterner&) = delete;

  // The id of text (which must hold no NUL byte), stored first if it is new.
  TextId intern(std::string_view text) { return intern(text, hashOf(text)); }
  // The same with the text's hash, known already.
  TextId intern(std::string_view text, std::uint32_t hash);
  std::string_view view(TextId id) const { return pool_.view(id); }

  // A quick hash of short texts, eight characters at a time.
  static std::uint32_t hashOf(std::string_view text);
  // Asks for the table's memory where a text of that hash is looked up, so that
  // a batch of lookups waits for memory once rather than once each.
  void prefetch(std::uint32_t hash) const {
    if (slotCount_ > 0) __builtin_prefetch(&slots_[hash & (slotCount_ - 1)]);
  }

 private:
  static constexpr TextId kFree{0xFFFFFFFFu};
  struct Slot {
    TextId id = kFree;
    std::uint32_t hash = 0;
  };
  // The slots of a large table in memory of their own: it is looked up at
  // random, and backed by large pages its lookups do not also miss the address
  // translation. A small table is an array on the heap.
  struct SlotsDeleter {
    std::size_t bytes;
    void operator()(Slot* slots) const;
  };
  using Slots = std::unique_ptr<Slot[], SlotsDeleter>;
  static Slots allocateSlots(std::size_t count);

  void place(TextId id, std::uint32_t hash);
  void grow();

  TextPool& pool_;
  Slots slots_{nullptr, SlotsDeleter{0}};
  std::size_t slotCount_ = 0;  // a power of two, at most three quarters used
  std::size_t size_ = 0;
};

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_TEXT_INTERNER_H_
