#include "analysis/export_event_columns.h"

#include <cmath>

#include "model/backend_identifiers.h"
#include "model/event_value.h"
#include "stats/figure_text.h"

namespace vyn::tools {

using profiling::DecodedValue;

void setEventValueColumns(const profiling::EventItem& event, EventColumns& row) {
  row.identifier = event.identifier;
  row.unit = eventUnitName(static_cast<std::uint8_t>(event.unit > 0xFF ? 0 : event.unit));
  row.value = ExportNumber{};
  row.hasText = false;
  row.text = {};
  if (event.identifier == profiling::backend::kHardwareUnits) {
    row.hasText = true;
    row.text = profiling::backend::hardwareUnitNames(
        static_cast<std::uint8_t>(profiling::valueAsUnsigned(event.value) & 0xFFu));
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
    case DecodedValue::Kind::None:
      break;
  }
}

}  // namespace vyn::tools
