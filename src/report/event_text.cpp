#include "report/event_text.h"

#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

std::string_view unitWord(std::uint32_t unit) {
  switch (unit) {
    case EventUnit::Bytes:
      return "BYTES";
    case EventUnit::Cycles:
      return "CYCLES";
    case EventUnit::Count:
      return "COUNT";
    case EventUnit::Object:
      return "OBJECT";
    case EventUnit::None:
      return "NONE";
    default:
      return "US";
  }
}

std::string_view unitSuffix(std::uint32_t unit) {
  switch (unit) {
    case EventUnit::Bytes:
      return " bytes";
    case EventUnit::Cycles:
      return " cycles";
    case EventUnit::Count:
      return " count";
    case EventUnit::Object:
      return " object";
    case EventUnit::None:
      return " ";
    default:
      return " us";
  }
}

std::string eventLevelText(std::uint64_t depth) {
  if (depth == 0) return "ROOT";
  std::string text;
  text.reserve(depth * 4 + 5);
  for (std::uint64_t level = 0; level < depth; ++level) text += "SUB-";
  text += "EVENT";
  return text;
}

}  // namespace vyn::profiling
