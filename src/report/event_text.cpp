#include "report/event_text.h"

#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

base::TextAppender& appendEventValue(base::TextAppender& out, const EventValue& value) {
  // The type of almost every measurement, first.
  if (value.dataType == ValueDataType::UInt64) return out.number(value.payload);
  const DecodedValue decoded = decodeValue(value);
  switch (decoded.kind) {
    case DecodedValue::Kind::Signed:
      return out.signedNumber(decoded.signedNumber);
    case DecodedValue::Kind::Unsigned:
      return out.number(decoded.unsignedNumber);
    case DecodedValue::Kind::Floating:
      return out.fixed(decoded.floating);
    case DecodedValue::Kind::Text:
      return decoded.text != nullptr ? out.text(decoded.text) : out;
    case DecodedValue::Kind::None:
      break;
  }
  return out;
}

base::TextAppender& appendCsvEventValue(base::TextAppender& out, const EventValue& value) {
  // Numbers, "nan" and "inf" never need quotes; only a text value can.
  if (value.dataType != ValueDataType::String) return appendEventValue(out, value);
  const std::size_t start = out.size();
  return appendEventValue(out, value).csvFieldFrom(start);
}

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
