#include "stats/path_values.h"

#include <cmath>

#include "model/backend_identifiers.h"
#include "model/event_value.h"
#include "stats/decoded_number.h"

namespace vyn::profiling {

PathValues pathValuesOf(const EventRow& row) {
  const std::uint32_t id = row.identifier;
  if (id == backend::kBurst || id == backend::kBurstMarker || id == backend::kBurstBlankValue ||
      id == backend::kBurstNameOnly || backend::isNameOnly(id)) {
    return PathValues::None;
  }
  if (id == backend::kHardwareUnits || backend::isUnitlessBurstValue(id)) return PathValues::Kinds;
  // Raw data carried along, not a measurement.
  if (row.unit == EventUnit::Object) return PathValues::None;
  switch (row.type) {
    case ValueType::None:
      return PathValues::None;
    case ValueType::Text:
      return PathValues::Kinds;
    default:
      return PathValues::Measured;
  }
}

double measuredNumber(const EventRow& row, const TextPool& texts) {
  return numberOr(decodeValue(rowValue(row, texts)), std::nan(""));
}

}  // namespace vyn::profiling
