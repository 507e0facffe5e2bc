#include "capture/event_conversion.h"

#include <algorithm>
#include <cstring>

#include "format/event_value_reading.h"
#include "format/message_readings.h"

namespace vyn::profiling {
namespace {

ValueType valueTypeOf(EventValueForm form) {
  switch (form) {
    case EventValueForm::Signed:
      return ValueType::Int64;
    case EventValueForm::Unsigned:
      return ValueType::UInt64;
    case EventValueForm::Float32:
      return ValueType::Float32;
    case EventValueForm::Float64:
      return ValueType::Float64;
    case EventValueForm::Text:
      return ValueType::Text;
    case EventValueForm::Bytes:
    case EventValueForm::None:
      break;
  }
  return ValueType::None;
}

// Positions of a message's rows whose names are remembered for the next message.
constexpr std::size_t kRememberedPositions = 4096;

// Whether two texts are equal; short ones, as names are, compared a word at a
// time without a call.
bool sameText(std::string_view a, std::string_view b) {
  const std::size_t size = a.size();
  if (size != b.size()) return false;
  if (size > 16 || size < 8) return a == b;
  std::uint64_t a1, a2, b1, b2;
  std::memcpy(&a1, a.data(), 8);
  std::memcpy(&b1, b.data(), 8);
  std::memcpy(&a2, a.data() + size - 8, 8);
  std::memcpy(&b2, b.data() + size - 8, 8);
  return ((a1 ^ b1) | (a2 ^ b2)) == 0;
}

// A text as the reports print it: up to its first NUL byte.
std::string_view upToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

EventConverter::EventConverter(TextInterner& texts, EventStore& store)
    : texts_(texts), store_(store), null_(texts.intern("null")) {}

void EventConverter::convert(const EventEntryList* entries, std::vector<EventRow>& rows) {
  rows.clear();
  names_.clear();
  if (entries == nullptr) return;
  append(*entries, 0, rows);
  nameRows(rows);
}

void EventConverter::append(const EventEntryList& entries, std::uint8_t depth, std::vector<EventRow>& rows) {
  for (const fb::EventEntry* entry : entries) {
    EventRow row;
    row.depth = depth;
    row.identifier = entry->identifier();
    row.unit = static_cast<std::uint8_t>(std::min<std::uint32_t>(entry->unit(), kOtherUnit));
    names_.push_back(entry->name());

    const EventValueReading value = readEventValue(*entry);
    row.type = valueTypeOf(value.form);
    row.bits = value.form == EventValueForm::Text ? textValueBits(texts_.intern(upToNul(value.text))) : value.bits;

    const std::string_view detail = cText(entry->detailText());
    const bool hasBytes = value.bytes != nullptr && value.bytes->size() > 0;
    if (!detail.empty() || hasBytes || entry->auxValue() != 0) {
      EventExtra extra;
      extra.detailText = detail.empty() ? kEmptyText : texts_.intern(detail);
      extra.auxValue = entry->auxValue();
      row.extra = hasBytes ? store_.addExtra(extra, value.bytes->data(), value.bytes->size())
                           : store_.addExtra(extra, nullptr, 0);
    }
    rows.push_back(row);
    if (const EventEntryList* subEvents = entry->subEvents()) {
      append(*subEvents, static_cast<std::uint8_t>(depth + 1), rows);
    }
  }
}

void EventConverter::nameRows(std::vector<EventRow>& rows) {
  const std::size_t remembered = std::min(rows.size(), kRememberedPositions);
  if (lastNameAt_.size() < remembered) lastNameAt_.resize(remembered, kEmptyText);
  lookups_.clear();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const flatbuffers::String* stored = names_[row];
    if (stored == nullptr) {
      rows[row].name = null_;
      continue;
    }
    // Pooled texts hold no NUL byte: a stored name equal to one as a whole is
    // its own C string, and the guess is right without looking for a NUL.
    if (row < remembered) {
      const TextId guess = lastNameAt_[row];
      if (sameText(texts_.view(guess), std::string_view(stored->data(), stored->size()))) {
        rows[row].name = guess;
        continue;
      }
    }
    const std::string_view name = cText(stored);
    const std::uint32_t hash = TextInterner::hashOf(name);
    texts_.prefetch(hash);
    lookups_.push_back({row, name, hash});
  }
  for (const Lookup& lookup : lookups_) {
    const TextId id = texts_.intern(lookup.name, lookup.hash);
    rows[lookup.row].name = id;
    if (lookup.row < remembered) lastNameAt_[lookup.row] = id;
  }
}

}  // namespace vyn::profiling
