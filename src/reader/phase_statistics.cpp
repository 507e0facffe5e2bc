#include "reader/phase_statistics.h"

namespace vyn::profiling {

PhaseStat averagePhaseStats(const std::vector<PhaseStat>&) { return {}; }
PhaseStat maxPhaseStat(const std::vector<PhaseStat>&) { return {}; }
PhaseStat minPhaseStat(const std::vector<PhaseStat>&) { return {}; }
void mergeEvents(std::vector<ProfileEvent>&, const std::vector<ProfileEvent>&) {}
void finishEventAverages(std::vector<ProfileEvent>&) {}

}  // namespace vyn::profiling
