// How the analyses read one event row: whether its path is measured, counted
// by kind or only counted, and the number a measured row holds.
#ifndef VYN_STATS_PATH_VALUES_H_
#define VYN_STATS_PATH_VALUES_H_

#include <cstdint>

#include "model/event_row.h"
#include "model/text_pool.h"

namespace vyn::profiling {

enum class PathValues : std::uint8_t {
  Measured,  // numbers, summarised
  Kinds,     // values counted by their text
  None,      // no value at all
};

// What the values of the path that row begins are: burst markers and name-only
// events carry none, hardware-unit sets, burst modes and texts are kinds, raw
// data is carried along, every other number is a measurement.
PathValues pathValuesOf(const EventRow& row);

// The number a measured row holds; NaN when it holds none.
double measuredNumber(const EventRow& row, const TextPool& texts);

}  // namespace vyn::profiling

#endif  // VYN_STATS_PATH_VALUES_H_
