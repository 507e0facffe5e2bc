// Turns the event tables of a record into rows that outlive the record: names
// and texts interned, the few extras (detail text, raw bytes, auxiliary number)
// kept in the event store.
#ifndef VYN_CAPTURE_EVENT_CONVERSION_H_
#define VYN_CAPTURE_EVENT_CONVERSION_H_

#include <vector>

#include "capture/text_interner.h"
#include "format/record_format.h"
#include "model/event_row.h"
#include "model/event_store.h"

namespace vyn::profiling {

using EventEntryList = flatbuffers::Vector<flatbuffers::Offset<fb::EventEntry>>;

class EventConverter {
 public:
  EventConverter(TextInterner& texts, EventStore& store);

  // Replaces rows by the rows of entries and their sub-events, in pre-order,
  // the entries at depth 0. An absent list gives no rows.
  void convert(const EventEntryList* entries, std::vector<EventRow>& rows);

 private:
  // Appends the rows, their names still to be found (names_ holds them).
  void append(const EventEntryList& entries, std::uint8_t depth, std::vector<EventRow>& rows);
  // Gives every row the id of its name. The messages of a log mostly name their
  // events alike, so the name met at a row's position last time is tried first;
  // the others are looked up as a batch.
  void nameRows(std::vector<EventRow>& rows);

  TextInterner& texts_;
  EventStore& store_;
  const TextId null_;                              // the name of an event that has none
  std::vector<const flatbuffers::String*> names_;  // of the rows being converted
  struct Lookup {
    std::size_t row;
    std::string_view name;
    std::uint32_t hash;
  };
  std::vector<Lookup> lookups_;
  std::vector<TextId> lastNameAt_;
};

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_EVENT_CONVERSION_H_
