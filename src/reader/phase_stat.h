// Statistics records that the handlers fill and the aggregation and reports read.
#ifndef VYN_READER_PHASE_STAT_H_
#define VYN_READER_PHASE_STAT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {

// One occurrence of a phase: its duration in microseconds, the message timestamp,
// an optional name and the events measured below it.
struct PhaseStat {
  std::uint64_t value = 0;
  std::uint64_t timestamp = 0;
  std::string name;
  std::vector<ProfileEvent> subEvents;
};

// Every occurrence of one graph's phase, in message order.
struct GraphPhaseSeries {
  std::string graphName;
  std::vector<PhaseStat> stats;
};

struct GraphPhaseStat {
  std::string graphName;
  PhaseStat stat;
};

struct QueueWaitSamples {
  std::string graphName;
  std::vector<std::uint64_t> samples;
};

struct QueueWaitValue {
  std::string graphName;
  std::uint64_t value = 0;
};

}  // namespace vyn::profiling

#endif  // VYN_READER_PHASE_STAT_H_
