// A map from dense 32-bit ids (such as the ids of a log's texts) to positions
// (of a graph's entry, of an event among its siblings): open addressing over one
// array, for the lookups that every message and every merged event make.
#ifndef VYN_BASE_TEXT_ID_MAP_H_
#define VYN_BASE_TEXT_ID_MAP_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vyn::base {

// Id is a small value type with == and value() giving its 32 bits.
template <typename Id>
class TextIdMap {
 public:
  static constexpr std::uint32_t kMissing = 0xFFFFFFFFu;

  // The value of id, or kMissing.
  std::uint32_t find(Id id) const {
    if (slots_.empty()) return kMissing;
    for (std::size_t at = slotOf(id);; at = (at + 1) & (slots_.size() - 1)) {
      const Slot& slot = slots_[at];
      if (slot.value == kMissing) return kMissing;
      if (slot.id == id) return slot.value;
    }
  }

  // Sets the value of id unless id has one; returns whether it was set.
  // REQUIRES: value != kMissing.
  bool insert(Id id, std::uint32_t value) {
    if (4 * (size_ + 1) > 3 * slots_.size()) grow();
    for (std::size_t at = slotOf(id);; at = (at + 1) & (slots_.size() - 1)) {
      Slot& slot = slots_[at];
      if (slot.value == kMissing) {
        slot = {id, value};
        ++size_;
        return true;
      }
      if (slot.id == id) return false;
    }
  }

 private:
  struct Slot {
    Id id{};
    std::uint32_t value = kMissing;
  };

  // Ids are dense counters: a multiplication spreads them over the table.
  std::size_t slotOf(Id id) const {
    const std::uint64_t spread = std::uint64_t{id.value()} * 0x9E3779B97F4A7C15u;
    return static_cast<std::size_t>(spread >> 32) & (slots_.size() - 1);
  }

  void grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : 2 * old.size(), Slot{});
    size_ = 0;
    for (const Slot& slot : old) {
      if (slot.value != kMissing) insert(slot.id, slot.value);
    }
  }

  std::vector<Slot> slots_;  // a power of two of them, at most three quarters used
  std::size_t size_ = 0;
};

}  // namespace vyn::base

#endif  // VYN_BASE_TEXT_ID_MAP_H_
