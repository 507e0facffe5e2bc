#include "report/event_text.h"

#include "report/text_buffer.h"

namespace vyn::profiling {

std::string formatEventValue(const EventValue& value) {
  TextAppender text;
  text.eventValue(value);
  return std::string(text.view());
}

std::string unitName(std::uint32_t unit) { return std::string(unitWord(unit)); }

std::string_view unitWord(std::uint32_t unit) {
  switch (unit) {
    case EventUnit::Bytes: return "BYTES";
    case EventUnit::Cycles: return "CYCLES";
    case EventUnit::Count: return "COUNT";
    case EventUnit::Object: return "OBJECT";
    case EventUnit::None: return "NONE";
    default: return "US";
  }
}

std::string_view unitSuffix(std::uint32_t unit) {
  switch (unit) {
    case EventUnit::Bytes: return " bytes";
    case EventUnit::Cycles: return " cycles";
    case EventUnit::Count: return " count";
    case EventUnit::Object: return " object";
    case EventUnit::None: return " ";
    default: return " us";
  }
}

std::string formatUnitMask(std::uint8_t mask) {
  static constexpr const char* kUnitNames[] = {"ZEL", "ZOR", "DMA"};
  std::string text;
  for (unsigned bit = 0; bit < 3; ++bit) {
    if ((mask & (1u << bit)) == 0) continue;
    if (!text.empty()) text += ", ";
    text += kUnitNames[bit];
  }
  return text;
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
