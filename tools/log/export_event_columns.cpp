#include "log/export_event_columns.h"

#include <cmath>

#include "model/backend_identifiers.h"
#include "model/event_value.h"

namespace vyn::tools {

using profiling::DecodedValue;

std::string_view exportUnitWord(std::uint32_t unit) {
  namespace EventUnit = profiling::EventUnit;
  switch (unit) {
    case EventUnit::Bytes: return "bytes";
    case EventUnit::Cycles: return "cycles";
    case EventUnit::Count: return "count";
    case EventUnit::Object: return "object";
    case EventUnit::None: return "none";
    default: return "us";
  }
}

std::string_view hardwareUnitNames(std::uint64_t value) {
  static constexpr std::string_view kNames[] = {
      "", "ZEL", "ZOR", "ZEL, ZOR", "DMA", "ZEL, DMA", "ZOR, DMA", "ZEL, ZOR, DMA"};
  return kNames[value & 7u];
}

void setEventValueColumns(const profiling::EventItem& event, EventColumns& row) {
  row.identifier = event.identifier;
  row.unit = exportUnitWord(event.unit);
  row.value = ExportNumber{};
  row.hasText = false;
  row.text = {};
  if (event.identifier == profiling::backend::kHardwareUnits) {
    row.hasText = true;
    row.text = hardwareUnitNames(profiling::valueAsUnsigned(event.value) & 0xFFu);
    return;
  }
  const DecodedValue decoded = profiling::decodeValue(event.value);
  ExportNumber& number = row.value;
  switch (decoded.kind) {
    case DecodedValue::Kind::Signed:
      number.kind = ExportNumber::Kind::Signed;
      number.signedNumber = decoded.signedNumber;
      break;
    case DecodedValue::Kind::Unsigned:
      number.kind = ExportNumber::Kind::Unsigned;
      number.unsignedNumber = decoded.unsignedNumber;
      break;
    case DecodedValue::Kind::Floating:
      if (!std::isfinite(decoded.floating)) break;
      if (event.value.dataType == profiling::ValueDataType::Float32) {
        number.kind = ExportNumber::Kind::Single;
        number.single = static_cast<float>(decoded.floating);  // widened from a single: exact
      } else {
        number.kind = ExportNumber::Kind::Double;
        number.wide = decoded.floating;
      }
      break;
    case DecodedValue::Kind::Text:
      if (decoded.text != nullptr) {
        row.hasText = true;
        row.text = decoded.text;
      }
      break;
    case DecodedValue::Kind::None: break;
  }
}

}  // namespace vyn::tools
