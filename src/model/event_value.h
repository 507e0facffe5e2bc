// Reading an event's value: the one place that knows what the bits of each data
// type mean, for the statistics, the reports and the reader interface alike.
#ifndef VYN_MODEL_EVENT_VALUE_H_
#define VYN_MODEL_EVENT_VALUE_H_

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "model/event_row.h"
#include "model/text_pool.h"
#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

struct DecodedValue {
  enum class Kind { None, Signed, Unsigned, Floating, Text };
  Kind kind = Kind::None;
  std::int64_t signedNumber = 0;     // Signed
  std::uint64_t unsignedNumber = 0;  // Unsigned
  double floating = 0.0;             // Floating
  const char* text = nullptr;        // Text: NUL-terminated; null when the payload is 0
};

// The value by its data type: narrow integers widened with their sign, singles
// widened to doubles, a text value's payload taken as the address of its text.
// A type without a meaning (including ValueDataType::Undefined) gives None.
DecodedValue decodeValue(const EventValue& value);

// The number a value holds, as an unsigned count: integers as their 64 bits,
// floating values truncated toward zero (negative or NaN: 0; beyond the largest
// u64: the largest u64), texts and values of no type 0. A text value's payload
// is an address and never leaks out of here.
std::uint64_t valueAsUnsigned(const EventValue& value);

// The data type code that a row's value type stands for.
inline std::uint32_t dataTypeOf(ValueType type) {
  static constexpr std::uint32_t kDataTypes[] = {
      ValueDataType::Undefined, ValueDataType::Int64,   ValueDataType::UInt64,
      ValueDataType::Float32,   ValueDataType::Float64, ValueDataType::String,
  };
  const auto index = static_cast<std::size_t>(type);
  return index < std::size(kDataTypes) ? kDataTypes[index] : ValueDataType::Undefined;
}

// A row's value as the reader interface shows it; a text value points into texts.
inline EventValue rowValue(const EventRow& row, const TextPool& texts) {
  if (row.type == ValueType::Text) {
    return {ValueDataType::String, reinterpret_cast<std::uintptr_t>(texts.cString(textValueOf(row)))};
  }
  return {dataTypeOf(row.type), row.bits};
}

}  // namespace vyn::profiling

#endif  // VYN_MODEL_EVENT_VALUE_H_
