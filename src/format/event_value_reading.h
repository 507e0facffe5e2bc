// What an event's value is, read from the fields its value kind selects. The
// reader and the tools that show logs read values through this one place.
#ifndef VYN_FORMAT_EVENT_VALUE_READING_H_
#define VYN_FORMAT_EVENT_VALUE_READING_H_

#include <cstdint>
#include <string_view>

#include "format/record_format.h"

namespace vyn::profiling {

enum class EventValueForm : std::uint8_t {
  None,    // an unknown or absent value kind: the event has no value
  Signed,  // bits: the 64-bit two's-complement integer
  Unsigned,
  Float32,  // bits: the IEEE single in the low 32 bits, the high 32 bits zero
  Float64,  // bits: the IEEE double
  Text,     // text: the whole stored text (an absent text is empty)
  Bytes,    // bytes: the raw bytes (absent: none)
};

struct EventValueReading {
  EventValueForm form = EventValueForm::None;
  std::uint64_t bits = 0;
  std::string_view text;
  const flatbuffers::Vector<std::uint8_t>* bytes = nullptr;
};

// The value of entry by its value kind; an absent value field reads as 0, 0.0
// or empty. Views point into the record.
EventValueReading readEventValue(const fb::EventEntry& entry);

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_EVENT_VALUE_READING_H_
