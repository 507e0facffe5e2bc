// Turns the event tables of a record into ProfileEvent trees.
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
// string-valued events are copied into stringPool, which must outlive the events,
// so the events stay valid after the record's bytes are gone.
void convertEvents(std::list<std::string>& stringPool, const EventEntryList* entries,
                   std::vector<ProfileEvent>& out);

// One entry, converted as convertEvents converts each.
ProfileEvent convertEvent(std::list<std::string>& stringPool, const fb::EventEntry& entry);

// Sets value (and bytes, for a bytes-valued entry) from the entry's value kind.
void convertEventValue(std::list<std::string>& stringPool, const fb::EventEntry& entry,
                       EventValue& value, std::vector<std::uint8_t>& bytes);

// Which top-level events of a message belong to an execution.
enum class ExecutionEventFilter : std::uint8_t {
  AllButInit,             // an Execute message: Init events go elsewhere
  AllButInitAndFinalize,  // an ExecuteEvents message: Finalize events go elsewhere too
};

bool isExecutionEvent(std::uint32_t identifier, ExecutionEventFilter filter);

// How many of entries pass the filter.
std::uint32_t countExecutionEvents(const EventEntryList* entries, ExecutionEventFilter filter);

// Replaces the contents of out by the execution events among entries, reusing
// out's elements and their storage, so that converting run after run into the
// same vector allocates almost nothing. Texts of string-valued events are not
// copied: their addresses point into the record, which must outlive the events.
void convertExecutionEventsInPlace(const EventEntryList* entries, ExecutionEventFilter filter,
                                   std::vector<ProfileEvent>& out);

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_EVENT_CONVERSION_H_
