#include "capture/event_conversion.h"

#include <cstring>
#include <utility>

namespace vyn::profiling {
namespace {

constexpr std::uint32_t kInitEventId = 100;
constexpr std::uint32_t kFinalizeEventId = 300;

template <typename Scalar>
std::uint64_t bitsOf(Scalar value) {
  static_assert(sizeof(Scalar) <= sizeof(std::uint64_t));
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof value);
  return bits;
}

// A log text as a C string: an embedded NUL byte ends it.
void assignCText(std::string& target, const flatbuffers::String* text) {
  if (text == nullptr) {
    target.clear();
    return;
  }
  target.assign(text->c_str(), ::strnlen(text->c_str(), text->size()));
}

// The address a string-valued event holds: a copy in the pool when there is one,
// otherwise the text inside the record itself.
std::uint64_t textAddress(std::list<std::string>* stringPool, const flatbuffers::String* text) {
  static const char kEmptyText[] = "";
  if (stringPool != nullptr) {
    stringPool->emplace_back(text != nullptr ? std::string(text->data(), text->size())
                                             : std::string());
    return reinterpret_cast<std::uintptr_t>(stringPool->back().c_str());
  }
  return reinterpret_cast<std::uintptr_t>(text != nullptr ? text->c_str() : kEmptyText);
}

void setValue(std::list<std::string>* stringPool, const fb::EventEntry& entry, EventValue& value,
              std::vector<std::uint8_t>& bytes) {
  switch (entry.valueKind()) {
    case fb::EventValueKind_Int64:
      value = {ValueDataType::Int64, static_cast<std::uint64_t>(entry.signedValue())};
      break;
    case fb::EventValueKind_UInt64:
      value = {ValueDataType::UInt64, entry.unsignedValue()};
      break;
    case fb::EventValueKind_Float32:
      value = {ValueDataType::Float32, bitsOf(entry.floatValue())};
      break;
    case fb::EventValueKind_Bytes:
      if (const auto* data = entry.bytesValue()) bytes.insert(bytes.end(), data->begin(), data->end());
      break;
    case fb::EventValueKind_Float64:
      value = {ValueDataType::Float64, bitsOf(entry.doubleValue())};
      break;
    case fb::EventValueKind_String:
      // An absent text is an empty one, so the address is always valid.
      value = {ValueDataType::String, textAddress(stringPool, entry.stringValue())};
      break;
    default:
      break;
  }
}

void fillEvents(std::list<std::string>* stringPool, const EventEntryList* entries,
                const ExecutionEventFilter* filter, std::vector<ProfileEvent>& out);

// Overwrites every member of event from entry, keeping the storage event
// already owns.
void fillEvent(std::list<std::string>* stringPool, const fb::EventEntry& entry,
               ProfileEvent& event) {
  // Children first: their texts enter the pool before their parent's.
  fillEvents(stringPool, entry.subEvents(), nullptr, event.subEvents);
  event.value = EventValue{};
  event.bytes.clear();
  setValue(stringPool, entry, event.value, event.bytes);
  if (entry.name() != nullptr) {
    assignCText(event.name, entry.name());
  } else {
    event.name.assign("null");
  }
  assignCText(event.detailText, entry.detailText());
  event.identifier = entry.identifier();
  event.unit = entry.unit();
  event.auxValue = entry.auxValue();
  event.mergeCount = 1;
}

void fillEvents(std::list<std::string>* stringPool, const EventEntryList* entries,
                const ExecutionEventFilter* filter, std::vector<ProfileEvent>& out) {
  std::size_t used = 0;
  if (entries != nullptr) {
    for (const fb::EventEntry* entry : *entries) {
      if (filter != nullptr && !isExecutionEvent(entry->identifier(), *filter)) continue;
      if (used == out.size()) out.emplace_back();
      fillEvent(stringPool, *entry, out[used++]);
    }
  }
  out.erase(out.begin() + static_cast<std::ptrdiff_t>(used), out.end());
}

}  // namespace

ProfileEvent convertEvent(std::list<std::string>& stringPool, const fb::EventEntry& entry) {
  ProfileEvent event;
  fillEvent(&stringPool, entry, event);
  return event;
}

void convertEvents(std::list<std::string>& stringPool, const EventEntryList* entries,
                   std::vector<ProfileEvent>& out) {
  if (entries == nullptr) return;
  out.reserve(out.size() + entries->size());
  for (const fb::EventEntry* entry : *entries) out.push_back(convertEvent(stringPool, *entry));
}

void convertEventValue(std::list<std::string>& stringPool, const fb::EventEntry& entry,
                       EventValue& value, std::vector<std::uint8_t>& bytes) {
  setValue(&stringPool, entry, value, bytes);
}

bool isExecutionEvent(std::uint32_t identifier, ExecutionEventFilter filter) {
  if (identifier == kInitEventId) return false;
  return filter == ExecutionEventFilter::AllButInit || identifier != kFinalizeEventId;
}

std::uint32_t countExecutionEvents(const EventEntryList* entries, ExecutionEventFilter filter) {
  std::uint32_t count = 0;
  if (entries == nullptr) return count;
  for (const fb::EventEntry* entry : *entries)
    if (isExecutionEvent(entry->identifier(), filter)) ++count;
  return count;
}

void convertExecutionEventsInPlace(const EventEntryList* entries, ExecutionEventFilter filter,
                                   std::vector<ProfileEvent>& out) {
  fillEvents(nullptr, entries, &filter, out);
}

}  // namespace vyn::profiling
