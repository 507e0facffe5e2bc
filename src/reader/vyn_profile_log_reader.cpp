#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

VynProfileLogReader::VynProfileLogReader(const std::string& path, VisibilityLevel level)
    : visibilityLevel(static_cast<std::int8_t>(level)), inputLogPath(path) {}

VynProfileLogReader::~VynProfileLogReader() = default;

const std::vector<ProfileEvent>& VynProfileLogReader::eventsOf(const PhaseStat& stat) {
  if (stat.deferredEvents.entries == nullptr) return stat.subEvents;
  convertExecutionEventsInPlace(stat.deferredEvents.entries, stat.deferredEvents.filter,
                                eventScratch);
  return eventScratch;
}

}  // namespace vyn::profiling
