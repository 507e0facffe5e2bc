// One measured event of a loaded log as a fixed-size row.
//
// The events of one list (the events below a phase occurrence) are rows in
// pre-order: each event is followed by the rows of its sub-events, and its
// depth says how far below the list's top level it sits. An event's sub-events
// are therefore the rows after it up to the next row at its depth or above.
#ifndef VYN_MODEL_EVENT_ROW_H_
#define VYN_MODEL_EVENT_ROW_H_

#include <cstdint>

#include "model/text_id.h"

namespace vyn::profiling {

// How the value bits of a row are read.
enum class ValueType : std::uint8_t {
  None,  // no value (also the value of a bytes-valued event)
  Int64,
  UInt64,
  Float32,  // the IEEE single in the low 32 bits
  Float64,
  Text,  // the bits hold the TextId of the text
};

// Units above this code are kept as this code: every unit the reports name is
// below it, and every code above it is reported alike.
inline constexpr std::uint8_t kOtherUnit = 255;

struct EventRow {
  std::uint64_t bits = 0;
  TextId name = kEmptyText;
  std::uint32_t identifier = 0;
  std::uint32_t extra = 0;  // 1 + the index of the event's EventExtra; 0: none
  std::uint8_t depth = 0;
  ValueType type = ValueType::None;
  std::uint8_t unit = 0;
  std::uint8_t reserved = 0;
};
// The text of a row whose value type is Text, and the bits that hold a text.
inline TextId textValueOf(const EventRow& row) { return TextId(static_cast<std::uint32_t>(row.bits)); }
inline std::uint64_t textValueBits(TextId text) { return text.value(); }

static_assert(sizeof(EventRow) == 24, "rows are what a loaded log is made of: keep them small");

// What few events carry besides a value: a detail text (the name of the data
// file of an object-valued event), raw bytes and an auxiliary number.
struct EventExtra {
  TextId detailText = kEmptyText;
  std::uint32_t byteCount = 0;
  const std::uint8_t* bytes = nullptr;  // in the event store
  std::uint64_t auxValue = 0;
};

// Where the rows of one list sit in the event store: always side by side. The
// address is kept as two halves so that a span packs into an occurrence with
// no padding (every phase occurrence of a log holds one).
class EventSpan {
 public:
  EventSpan() = default;
  EventSpan(const EventRow* first, std::uint32_t rows)
      : count(rows),
        low_(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(first))),
        high_(static_cast<std::uint32_t>(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(first)) >> 32)) {}

  const EventRow* first() const {
    return reinterpret_cast<const EventRow*>(
        static_cast<std::uintptr_t>((static_cast<std::uint64_t>(high_) << 32) | low_));
  }
  bool empty() const { return count == 0; }

  std::uint32_t count = 0;

 private:
  std::uint32_t low_ = 0;
  std::uint32_t high_ = 0;
};

}  // namespace vyn::profiling

#endif  // VYN_MODEL_EVENT_ROW_H_
