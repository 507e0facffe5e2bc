// The durations of the phases around the executions, where a log has them:
// what a session spends before, between and after running its graphs.
#ifndef VYN_STATS_PHASE_DURATIONS_H_
#define VYN_STATS_PHASE_DURATIONS_H_

#include <string_view>
#include <vector>

#include "model/log_model.h"
#include "model/text_pool.h"

namespace vyn::profiling {

struct PhaseDurations {
  std::string_view phase;         // "init", "library load", "compose", "finalize", ...
  TextId graph = kEmptyText;      // the graph, for the phases that have one
  std::vector<double> durations;  // microseconds, one per occurrence
};

// In the order a session runs them: init, context creation, library load,
// compose (one figure, the sum over its messages), finalize of each graph,
// binary-section applications and tensor updates of each graph, the section
// update, de-init. A phase the log does not hold is left out.
std::vector<PhaseDurations> phaseDurations(const LogModel& model);

}  // namespace vyn::profiling

#endif  // VYN_STATS_PHASE_DURATIONS_H_
