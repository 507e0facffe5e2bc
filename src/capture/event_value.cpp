#include "capture/event_value.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace vyn::profiling {
namespace {

std::uint64_t truncateToUnsigned(double number) {
  if (!(number > 0.0)) return 0;  // negative, zero and NaN
  if (number >= 18446744073709551616.0) return std::numeric_limits<std::uint64_t>::max();
  return static_cast<std::uint64_t>(number);
}

}  // namespace

std::uint64_t eventValueAsUnsigned(const EventValue& value) {
  switch (value.dataType) {
    case ValueDataType::Int8: return static_cast<std::uint64_t>(static_cast<std::int8_t>(value.payload));
    case ValueDataType::Int16: return static_cast<std::uint64_t>(static_cast<std::int16_t>(value.payload));
    case ValueDataType::Int32: return static_cast<std::uint64_t>(static_cast<std::int32_t>(value.payload));
    case ValueDataType::Int64:
    case ValueDataType::UInt64: return value.payload;
    case ValueDataType::UInt8:
    case ValueDataType::Bool8: return value.payload & 0xFFu;
    case ValueDataType::UInt16: return value.payload & 0xFFFFu;
    case ValueDataType::UInt32: return value.payload & 0xFFFFFFFFu;
    case ValueDataType::Float32: {
      float number;
      const auto bits = static_cast<std::uint32_t>(value.payload);
      std::memcpy(&number, &bits, sizeof number);
      return truncateToUnsigned(number);
    }
    case ValueDataType::Float64: {
      double number;
      std::memcpy(&number, &value.payload, sizeof number);
      return truncateToUnsigned(number);
    }
    default: return 0;
  }
}

}  // namespace vyn::profiling
