#include "capture/text_interner.h"

#include <sys/mman.h>

#include <cstring>
#include <new>

namespace vyn::profiling {
namespace {

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;

// Tables from this size on are mapped on their own, where large pages can back
// them; a smaller one, the table of most logs, comes from the heap at the cost
// of no system call.
constexpr std::size_t kMappedBytes = std::size_t{2} << 20;

std::uint64_t mix(std::uint64_t hash) {
  hash ^= hash >> 32;
  hash *= 0xD6E8FEB86659FD93u;
  hash ^= hash >> 32;
  hash *= 0xD6E8FEB86659FD93u;
  return hash ^ (hash >> 32);
}

}  // namespace

TextInterner::TextInterner(TextPool& pool) : pool_(pool) {
  for (std::uint32_t at = 0; at < pool_.size(); ++at) {
    if (4 * (size_ + 1) > 3 * slotCount_) grow();
    const TextId id(at);
    place(id, hashOf(pool_.view(id)));
  }
}

TextId TextInterner::intern(std::string_view text, std::uint32_t hash) {
  if (4 * (size_ + 1) > 3 * slotCount_) grow();
  const std::size_t mask = slotCount_ - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.id == kFree) {
      slot = {pool_.add(text), hash};
      ++size_;
      return slot.id;
    }
    if (slot.hash == hash && pool_.view(slot.id) == text) return slot.id;
  }
}

std::uint32_t TextInterner::hashOf(std::string_view text) {
  const char* const data = text.data();
  const std::size_t size = text.size();
  std::uint64_t hash = size * kMultiplier;
  std::uint64_t last = 0;
  if (size >= 8) {
    for (std::size_t i = 0; i + 8 < size; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, data + i, sizeof word);
      hash = (hash ^ word) * kMultiplier;
      hash ^= hash >> 29;
    }
    // The last eight characters, overlapping the words before.
    std::memcpy(&last, data + size - 8, sizeof last);
  } else if (size >= 4) {
    std::uint32_t first;
    std::uint32_t end;
    std::memcpy(&first, data, sizeof first);
    std::memcpy(&end, data + size - 4, sizeof end);
    last = (static_cast<std::uint64_t>(first) << 32) | end;
  } else {
    for (std::size_t i = 0; i < size; ++i) last = (last << 8) | static_cast<unsigned char>(data[i]);
  }
  return static_cast<std::uint32_t>(mix(hash ^ last));
}

void TextInterner::place(TextId id, std::uint32_t hash) {
  const std::size_t mask = slotCount_ - 1;
  std::size_t at = hash & mask;
  while (slots_[at].id != kFree) at = (at + 1) & mask;
  slots_[at] = {id, hash};
  ++size_;
}

void TextInterner::grow() {
  const Slots old = std::move(slots_);
  const std::size_t oldCount = slotCount_;
  slotCount_ = oldCount == 0 ? 64 : 2 * oldCount;
  slots_ = allocateSlots(slotCount_);
  size_ = 0;
  for (std::size_t i = 0; i < oldCount; ++i) {
    if (old[i].id != kFree) place(old[i].id, old[i].hash);
  }
}

TextInterner::Slots TextInterner::allocateSlots(std::size_t count) {
  const std::size_t bytes = count * sizeof(Slot);
  if (bytes < kMappedBytes) return Slots(new Slot[count], SlotsDeleter{bytes});
  void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::bad_alloc();
  ::madvise(memory, bytes, MADV_HUGEPAGE);  // a hint: without large pages it still works
  Slot* slots = static_cast<Slot*>(memory);
  for (std::size_t i = 0; i < count; ++i) new (&slots[i]) Slot{};
  return Slots(slots, SlotsDeleter{bytes});
}

void TextInterner::SlotsDeleter::operator()(Slot* slots) const {
  if (bytes < kMappedBytes) {
    delete[] slots;
  } else {
    ::munmap(slots, bytes);
  }
}

}  // namespace vyn::profiling
