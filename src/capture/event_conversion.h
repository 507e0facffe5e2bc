// Turns the event tables of a record into ProfileEvent trees that the reader owns
// and keeps after the record's bytes are gone.
#ifndef VYN_CAPTURE_EVENT_CONVERSION_H_
#define VYN_CAPTURE_EVENT_CONVERSION_H_

#include <list>
#include <string>
#include <vector>

#include "format/record_format.h"
#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

using EventEntryList = flatbuffers::Vector<flatbuffers::Offset<fb::EventEntry>>;

// Appends one ProfileEvent per entry, in order, children converted first. Texts of
// string-valued events are appended to stringPool, which must outlive the events.
void convertEvents(std::list<std::string>& stringPool, const EventEntryList* entries,
                   std::vector<ProfileEvent>& out);

// Sets value (and bytes, for a bytes-valued entry) from the entry's value kind.
void convertEventValue(std::list<std::string>& stringPool, const fb::EventEntry& entry,
                       EventValue& value, std::vector<std::uint8_t>& bytes);

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_EVENT_CONVERSION_H_
