#include "format/event_value_reading.h"

#include <cstring>

namespace vyn::profiling {
namespace {

template <typename Scalar>
std::uint64_t bitsOf(Scalar value) {
  static_assert(sizeof(Scalar) <= sizeof(std::uint64_t));
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof value);
  return bits;
}

}  // namespace

EventValueReading readEventValue(const fb::EventEntry& entry) {
  EventValueReading value;
  switch (entry.valueKind()) {
    case fb::EventValueKind_Int64:
      value.form = EventValueForm::Signed;
      value.bits = static_cast<std::uint64_t>(entry.signedValue());
      break;
    case fb::EventValueKind_UInt64:
      value.form = EventValueForm::Unsigned;
      value.bits = entry.unsignedValue();
      break;
    case fb::EventValueKind_Float32:
      value.form = EventValueForm::Float32;
      value.bits = bitsOf(entry.floatValue());
      break;
    case fb::EventValueKind_Float64:
      value.form = EventValueForm::Float64;
      value.bits = bitsOf(entry.doubleValue());
      break;
    case fb::EventValueKind_String:
      value.form = EventValueForm::Text;
      if (const flatbuffers::String* text = entry.stringValue()) value.text = {text->data(), text->size()};
      break;
    case fb::EventValueKind_Bytes:
      value.form = EventValueForm::Bytes;
      value.bytes = entry.bytesValue();
      break;
    default:
      break;
  }
  return value;
}

}  // namespace vyn::profiling
