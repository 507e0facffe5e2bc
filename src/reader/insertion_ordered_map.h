// A small string-keyed map that iterates in the order in which keys were first
// inserted, so that reports walking it are deterministic.
#ifndef VYN_READER_INSERTION_ORDERED_MAP_H_
#define VYN_READER_INSERTION_ORDERED_MAP_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vyn::profiling {

// Lookups are linear: the reader keeps at most a handful of keys per map.
template <typename Value>
class InsertionOrderedMap {
 public:
  using Entry = std::pair<std::string, Value>;
  using const_iterator = typename std::vector<Entry>::const_iterator;

  // The value under key, inserted default-constructed at the end when missing.
  Value& operator[](std::string_view key) {
    if (Value* found = find(key)) return *found;
    entries_.emplace_back(std::string(key), Value{});
    return entries_.back().second;
  }

  Value* find(std::string_view key) {
    for (Entry& entry : entries_)
      if (entry.first == key) return &entry.second;
    return nullptr;
  }
  const Value* find(std::string_view key) const {
    for (const Entry& entry : entries_)
      if (entry.first == key) return &entry.second;
    return nullptr;
  }

  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }

 private:
  std::vector<Entry> entries_;
};

}  // namespace vyn::profiling

#endif  // VYN_READER_INSERTION_ORDERED_MAP_H_
