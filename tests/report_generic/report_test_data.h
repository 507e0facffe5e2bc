// Reader state in one expression, for the generic report tests.
#ifndef VYN_TESTS_REPORT_GENERIC_REPORT_TEST_DATA_H_
#define VYN_TESTS_REPORT_GENERIC_REPORT_TEST_DATA_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "reader/phase_stat.h"
#include "report/report_test_util.h"

namespace vyn::testing {

using profiling::GraphPhaseStat;
using profiling::PhaseStat;

inline ProfileEvent unsignedEvent(std::string name, std::uint64_t number,
                                  std::uint32_t unit = profiling::EventUnit::Microseconds) {
  return event(std::move(name), 0, unsignedValue(number), unit);
}

inline PhaseStat phaseStat(std::uint64_t value, std::uint64_t timestamp = 0, std::string name = {},
                           std::vector<ProfileEvent> subEvents = {}) {
  PhaseStat stat;
  stat.value = value;
  stat.timestamp = timestamp;
  stat.name = std::move(name);
  stat.subEvents = std::move(subEvents);
  return stat;
}

inline GraphPhaseStat graphStat(std::string graphName, std::uint64_t value) {
  return GraphPhaseStat{std::move(graphName), phaseStat(value)};
}

// A rule line of the text summary.
inline std::string dashes(std::size_t width) { return std::string(width, '-') + "\n"; }

}  // namespace vyn::testing

#endif  // VYN_TESTS_REPORT_GENERIC_REPORT_TEST_DATA_H_
