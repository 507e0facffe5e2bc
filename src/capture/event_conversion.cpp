#include "capture/event_conversion.h"

#include <cstring>
#include <utility>

#include "capture/message_readings.h"

namespace vyn::profiling {
namespace {

template <typename Scalar>
std::uint64_t bitsOf(Scalar value) {
  static_assert(sizeof(Scalar) <= sizeof(std::uint64_t));
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof value);
  return bits;
}

ProfileEvent convertEvent(std::list<std::string>& stringPool, const fb::EventEntry& entry) {
  ProfileEvent event;
  // Children first: their texts enter the pool before their parent's.
  convertEvents(stringPool, entry.subEvents(), event.subEvents);
  convertEventValue(stringPool, entry, event.value, event.bytes);
  event.name = entry.name() != nullptr ? cText(entry.name()) : std::string("null");
  event.detailText = cText(entry.detailText());
  event.identifier = entry.identifier();
  event.unit = entry.unit();
  event.auxValue = entry.auxValue();
  event.mergeCount = 1;
  return event;
}

}  // namespace

void convertEvents(std::list<std::string>& stringPool, const EventEntryList* entries,
                   std::vector<ProfileEvent>& out) {
  if (entries == nullptr) return;
  out.reserve(out.size() + entries->size());
  for (const fb::EventEntry* entry : *entries) out.push_back(convertEvent(stringPool, *entry));
}

void convertEventValue(std::list<std::string>& stringPool, const fb::EventEntry& entry,
                       EventValue& value, std::vector<std::uint8_t>& bytes) {
  switch (entry.valueKind()) {
    case fb::EventValueKind_Int64:
      value.dataType = ValueDataType::Int64;
      value.payload = static_cast<std::uint64_t>(entry.signedValue());
      break;
    case fb::EventValueKind_UInt64:
      value.dataType = ValueDataType::UInt64;
      value.payload = entry.unsignedValue();
      break;
    case fb::EventValueKind_Float32:
      value.dataType = ValueDataType::Float32;
      value.payload = bitsOf(entry.floatValue());
      break;
    case fb::EventValueKind_Bytes:
      if (const auto* data = entry.bytesValue()) bytes.insert(bytes.end(), data->begin(), data->end());
      break;
    case fb::EventValueKind_Float64:
      value.dataType = ValueDataType::Float64;
      value.payload = bitsOf(entry.doubleValue());
      break;
    case fb::EventValueKind_String: {
      // An absent text is an empty one, so the address is always valid.
      const flatbuffers::String* text = entry.stringValue();
      stringPool.emplace_back(text != nullptr ? std::string(text->data(), text->size()) : std::string());
      value.dataType = ValueDataType::String;
      value.payload = reinterpret_cast<std::uintptr_t>(stringPool.back().c_str());
      break;
    }
    default:
      break;
  }
}

}  // namespace vyn::profiling
