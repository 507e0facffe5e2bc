// Text conversions shared by every event printer.
#ifndef VYN_REPORT_EVENT_TEXT_H_
#define VYN_REPORT_EVENT_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

// The value as text, by its data type; empty for a type without a text form.
// Independent of any stream's formatting state.
std::string formatEventValue(const EventValue& value);

// Upper-case unit word of the CSV rows: "US", "BYTES", "CYCLES", ...
std::string unitName(std::uint32_t unit);
// The same word, for printers that append it.
std::string_view unitWord(std::uint32_t unit);

// Text written after a value in the summary: " us", " bytes", ... (with its blank).
std::string_view unitSuffix(std::uint32_t unit);

// Hardware units named by the bits of mask: "ZEL", "ZOR", "DMA", joined by ", ".
std::string formatUnitMask(std::uint8_t mask);

// "ROOT" at depth 0, else "SUB-" repeated depth times and "EVENT".
std::string eventLevelText(std::uint64_t depth);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_EVENT_TEXT_H_
