#include "report/event_text.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace vyn::profiling {
namespace {

// printf-style formatting into a std::string; the text never depends on any
// stream's notation or precision.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string formatText(const char* format, ...) {
  char small[64];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (length < 0) return {};
  if (static_cast<std::size_t>(length) < sizeof small) return std::string(small, length);

  // Only very large doubles in fixed notation get here.
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::string signedText(std::int64_t number) { return formatText("%" PRId64, number); }
std::string unsignedText(std::uint64_t number) { return formatText("%" PRIu64, number); }

}  // namespace

std::string formatEventValue(const EventValue& value) {
  const std::uint64_t bits = value.payload;
  switch (value.dataType) {
    case ValueDataType::Int8: return signedText(static_cast<std::int8_t>(bits));
    case ValueDataType::Int16:
    case ValueDataType::Float16:  // the back-end stores these as signed 16-bit integers
      return signedText(static_cast<std::int16_t>(bits));
    case ValueDataType::Int32: return signedText(static_cast<std::int32_t>(bits));
    case ValueDataType::Int64: return signedText(static_cast<std::int64_t>(bits));
    case ValueDataType::UInt8:
    case ValueDataType::Bool8: return unsignedText(bits & 0xFFu);
    case ValueDataType::UInt16: return unsignedText(bits & 0xFFFFu);
    case ValueDataType::UInt32: return unsignedText(bits & 0xFFFFFFFFu);
    case ValueDataType::UInt64: return unsignedText(bits);
    case ValueDataType::Float32: {
      const auto low = static_cast<std::uint32_t>(bits);
      float number;
      std::memcpy(&number, &low, sizeof number);
      return formatText("%f", static_cast<double>(number));
    }
    case ValueDataType::Float64: {
      double number;
      std::memcpy(&number, &bits, sizeof number);
      return formatText("%f", number);
    }
    case ValueDataType::String: {
      // The payload addresses a text in the owning reader's string pool.
      const auto* text = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(bits));
      return text != nullptr ? std::string(text) : std::string();
    }
    default: return {};
  }
}

std::string unitName(std::uint32_t unit) {
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
