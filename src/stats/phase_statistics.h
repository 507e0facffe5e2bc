// Average, maximum and minimum over the occurrences of a phase.
#ifndef VYN_STATS_PHASE_STATISTICS_H_
#define VYN_STATS_PHASE_STATISTICS_H_

#include <vector>

#include "model/log_model.h"
#include "model/occurrence.h"
#include "stats/statistics.h"

namespace vyn::profiling {

// Mean of the non-zero values (0 when there are none), the last occurrence's
// timestamp, and the events merged by name and averaged.
AveragedPhase averageOf(const LogModel& model, const std::vector<Occurrence>& occurrences);

// The mean of the non-zero values alone (0 when there are none).
std::uint64_t averageValueOf(const std::vector<Occurrence>& occurrences);

// The occurrence with the largest value; ties go to the later one. Empty when
// there is none. The result carries no name.
Occurrence maximumOf(const std::vector<Occurrence>& occurrences);

// The occurrence with the smallest non-zero value; ties go to the later one.
// Empty (value 0, timestamp 0, no events) when no value is non-zero.
Occurrence minimumOf(const std::vector<Occurrence>& occurrences);

}  // namespace vyn::profiling

#endif  // VYN_STATS_PHASE_STATISTICS_H_
