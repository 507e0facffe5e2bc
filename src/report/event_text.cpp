#include "report/event_text.h"

#include <cstring>

#include "report/text_buffer.h"

namespace vyn::profiling {

std::string formatEventValue(const EventValue& value) {
  std::string text;
  appendEventValue(text, value);
  return text;
}

void appendEventValue(std::string& text, const EventValue& value) {
  const std::uint64_t bits = value.payload;
  switch (value.dataType) {
    case ValueDataType::Int8: return appendSigned(text, static_cast<std::int8_t>(bits));
    case ValueDataType::Int16:
    case ValueDataType::Float16:  // the back-end stores these as signed 16-bit integers
      return appendSigned(text, static_cast<std::int16_t>(bits));
    case ValueDataType::Int32: return appendSigned(text, static_cast<std::int32_t>(bits));
    case ValueDataType::Int64: return appendSigned(text, static_cast<std::int64_t>(bits));
    case ValueDataType::UInt8:
    case ValueDataType::Bool8: return appendUnsigned(text, bits & 0xFFu);
    case ValueDataType::UInt16: return appendUnsigned(text, bits & 0xFFFFu);
    case ValueDataType::UInt32: return appendUnsigned(text, bits & 0xFFFFFFFFu);
    case ValueDataType::UInt64: return appendUnsigned(text, bits);
    case ValueDataType::Float32: {
      const auto low = static_cast<std::uint32_t>(bits);
      float number;
      std::memcpy(&number, &low, sizeof number);
      return appendFixed(text, static_cast<double>(number));
    }
    case ValueDataType::Float64: {
      double number;
      std::memcpy(&number, &bits, sizeof number);
      return appendFixed(text, number);
    }
    case ValueDataType::String: {
      // The payload addresses a text in the owning reader's string pool.
      const auto* pooled = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(bits));
      if (pooled != nullptr) text.append(pooled);
      return;
    }
    default: return;
  }
}

std::string unitName(std::uint32_t unit) { return unitWord(unit); }

const char* unitWord(std::uint32_t unit) {
  switch (unit) {
    case EventUnit::Bytes: return "BYTES";
    case EventUnit::Cycles: return "CYCLES";
    case EventUnit::Count: return "COUNT";
    case EventUnit::Object: return "OBJECT";
    case EventUnit::None: return "NONE";
    default: return "US";
  }
}

const char* unitSuffix(std::uint32_t unit) {
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
