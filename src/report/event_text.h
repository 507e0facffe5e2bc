// Text conversions shared by every event printer.
#ifndef VYN_REPORT_EVENT_TEXT_H_
#define VYN_REPORT_EVENT_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "model/backend_identifiers.h"

namespace vyn::profiling {

// Upper-case unit word of the CSV rows: "US", "BYTES", "CYCLES", ...
std::string_view unitWord(std::uint32_t unit);

// Text written after a value in the summary: " us", " bytes", ... (with its blank).
std::string_view unitSuffix(std::uint32_t unit);

// "ROOT" at depth 0, else "SUB-" repeated depth times and "EVENT".
std::string eventLevelText(std::uint64_t depth);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_EVENT_TEXT_H_
