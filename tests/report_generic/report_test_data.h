// Small builders for reader state used by the generic report tests.
#ifndef VYN_TESTS_REPORT_GENERIC_REPORT_TEST_DATA_H_
#define VYN_TESTS_REPORT_GENERIC_REPORT_TEST_DATA_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "reader/phase_stat.h"
#include "vyn/profiling/profile_event.h"

namespace vyn::testing {

using profiling::GraphPhaseStat;
using profiling::PhaseStat;
using profiling::ProfileEvent;

inline ProfileEvent unsignedEvent(std::string name, std::uint64_t value,
                                  std::uint32_t unit = profiling::EventUnit::Microseconds) {
  ProfileEvent event;
  event.name = std::move(name);
  event.value = {profiling::ValueDataType::UInt64, value};
  event.unit = unit;
  return event;
}

inline ProfileEvent doubleEvent(std::string name, double value) {
  ProfileEvent event;
  event.name = std::move(name);
  event.value.dataType = profiling::ValueDataType::Float64;
  std::memcpy(&event.value.payload, &value, sizeof value);
  event.unit = profiling::EventUnit::Microseconds;
  return event;
}

inline PhaseStat phaseStat(std::uint64_t value, std::uint64_t timestamp = 0, std::string name = {},
                           std::vector<ProfileEvent> subEvents = {}) {
  return PhaseStat{value, timestamp, std::move(name), std::move(subEvents)};
}

inline GraphPhaseStat graphStat(std::string graphName, std::uint64_t value) {
  return GraphPhaseStat{std::move(graphName), phaseStat(value)};
}

// A rule line of the text summary.
inline std::string dashes(std::size_t width) { return std::string(width, '-') + "\n"; }

}  // namespace vyn::testing

#endif  // VYN_TESTS_REPORT_GENERIC_REPORT_TEST_DATA_H_
