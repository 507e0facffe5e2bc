#include "model/event_value.h"

#include <cstring>

namespace vyn::profiling {
namespace {

DecodedValue signedValue(std::int64_t number) { return {DecodedValue::Kind::Signed, number, 0, 0.0, nullptr}; }
DecodedValue unsignedValue(std::uint64_t number) { return {DecodedValue::Kind::Unsigned, 0, number, 0.0, nullptr}; }
DecodedValue floatingValue(double number) { return {DecodedValue::Kind::Floating, 0, 0, number, nullptr}; }

}  // namespace

DecodedValue decodeValue(const EventValue& value) {
  const std::uint64_t bits = value.payload;
  switch (value.dataType) {
    case ValueDataType::Int8:
      return signedValue(static_cast<std::int8_t>(bits));
    case ValueDataType::Int16:
    case ValueDataType::Float16:  // the back-end stores these as signed 16-bit integers
      return signedValue(static_cast<std::int16_t>(bits));
    case ValueDataType::Int32:
      return signedValue(static_cast<std::int32_t>(bits));
    case ValueDataType::Int64:
      return signedValue(static_cast<std::int64_t>(bits));
    case ValueDataType::UInt8:
    case ValueDataType::Bool8:
      return unsignedValue(bits & 0xFFu);
    case ValueDataType::UInt16:
      return unsignedValue(bits & 0xFFFFu);
    case ValueDataType::UInt32:
      return unsignedValue(bits & 0xFFFFFFFFu);
    case ValueDataType::UInt64:
      return unsignedValue(bits);
    case ValueDataType::Float32: {
      const auto low = static_cast<std::uint32_t>(bits);
      float single;
      std::memcpy(&single, &low, sizeof single);
      return floatingValue(single);
    }
    case ValueDataType::Float64: {
      double wide;
      std::memcpy(&wide, &bits, sizeof wide);
      return floatingValue(wide);
    }
    case ValueDataType::String:
      return {DecodedValue::Kind::Text, 0, 0, 0.0, reinterpret_cast<const char*>(static_cast<std::uintptr_t>(bits))};
    default:
      return {};
  }
}

std::uint64_t valueAsUnsigned(const EventValue& value) {
  const DecodedValue decoded = decodeValue(value);
  switch (decoded.kind) {
    case DecodedValue::Kind::Signed:
      return static_cast<std::uint64_t>(decoded.signedNumber);
    case DecodedValue::Kind::Unsigned:
      return decoded.unsignedNumber;
    case DecodedValue::Kind::Floating:
      if (!(decoded.floating > 0.0)) return 0;  // negative, zero and NaN
      if (decoded.floating >= 18446744073709551616.0) return ~std::uint64_t{0};
      return static_cast<std::uint64_t>(decoded.floating);
    default:
      return 0;
  }
}

}  // namespace vyn::profiling
