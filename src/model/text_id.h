// The id of a text of a loaded log: names of events, graphs and phases, text
// values, data-file names. Ids are only made by the text pool (and from a
// text-valued row's bits); they are compared, hashed and looked up, never
// counted with.
#ifndef VYN_MODEL_TEXT_ID_H_
#define VYN_MODEL_TEXT_ID_H_

#include <cstddef>
#include <cstdint>
#include <functional>

namespace vyn::profiling {

class TextId {
 public:
  // The empty text.
  constexpr TextId() = default;
  constexpr explicit TextId(std::uint32_t value) : value_(value) {}

  // The id's place in the pool, for storing it in a row's bits and for tables
  // indexed by id.
  constexpr std::uint32_t value() const { return value_; }

  friend constexpr bool operator==(TextId a, TextId b) { return a.value_ == b.value_; }
  friend constexpr bool operator!=(TextId a, TextId b) { return a.value_ != b.value_; }
  // Order of storing: for ordered containers, not of the texts.
  friend constexpr bool operator<(TextId a, TextId b) { return a.value_ < b.value_; }

 private:
  std::uint32_t value_ = 0;
};

// Id 0 is always the empty text.
inline constexpr TextId kEmptyText{};

}  // namespace vyn::profiling

template <>
struct std::hash<vyn::profiling::TextId> {
  std::size_t operator()(vyn::profiling::TextId id) const noexcept { return std::hash<std::uint32_t>()(id.value()); }
};

#endif  // VYN_MODEL_TEXT_ID_H_
