#include "report/event_text.h"

namespace vyn::profiling {

std::string formatEventValue(const EventValue&) { return {}; }
std::string unitName(std::uint32_t) { return "US"; }
const char* unitSuffix(std::uint32_t) { return " us"; }
std::string formatUnitMask(std::uint8_t) { return {}; }
std::string eventLevelText(std::uint64_t) { return "ROOT"; }

}  // namespace vyn::profiling
