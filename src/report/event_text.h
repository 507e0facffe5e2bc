// Text conversions shared by every event printer.
#ifndef VYN_REPORT_EVENT_TEXT_H_
#define VYN_REPORT_EVENT_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "base/text_buffer.h"
#include "model/backend_identifiers.h"
#include "model/event_value.h"

namespace vyn::profiling {

// Upper-case unit word of the CSV rows: "US", "BYTES", "CYCLES", ...
std::string_view unitWord(std::uint32_t unit);

// Text written after a value in the summary: " us", " bytes", ... (with its blank).
std::string_view unitSuffix(std::uint32_t unit);

// The value by its data type; nothing for a type without a text form.
base::TextAppender& appendEventValue(base::TextAppender& out, const EventValue& value);
// That text as a CSV field.
base::TextAppender& appendCsvEventValue(base::TextAppender& out, const EventValue& value);

// "ROOT" at depth 0, else "SUB-" repeated depth times and "EVENT".
std::string eventLevelText(std::uint64_t depth);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_EVENT_TEXT_H_
