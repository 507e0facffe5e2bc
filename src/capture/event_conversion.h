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
  void append(const EventEntryList& entries, std::uint8_t depth, std::vector<EventRow>& rows);
  // The id of a name met at position of a message's rows: the messages of a log
  // mostly name their events alike, so the name met there last time is tried first.
  TextId nameAt(std::size_t position, const flatbuffers::String& stored);

  TextInterner& texts_;
  EventStore& store_;
  const TextId null_;  // the name of an event that has none
  std::vector<TextId> lastNameAt_;
};

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_EVENT_CONVERSION_H_
