// Average, maximum and minimum over the occurrences of a phase, with the events
// of the occurrences merged by name.
#ifndef VYN_READER_PHASE_STATISTICS_H_
#define VYN_READER_PHASE_STATISTICS_H_

#include <vector>

#include "reader/phase_stat.h"

namespace vyn::profiling {

// Mean of the non-zero values (0 when there are none); the last occurrence's
// timestamp; events merged by name and averaged. The result carries no name.
PhaseStat averagePhaseStats(const std::vector<PhaseStat>& occurrences);

// The largest value; ties go to the later occurrence, whose timestamp and events
// are taken.
PhaseStat maxPhaseStat(const std::vector<PhaseStat>& occurrences);

// The smallest non-zero value; ties go to the later occurrence. When no value is
// non-zero the result is empty (value 0, timestamp 0, no events).
PhaseStat minPhaseStat(const std::vector<PhaseStat>& occurrences);

// Adds the incoming events into the accumulated ones, matching by name at each
// level; unmatched incoming events (other than object-valued ones) are appended.
void mergeEvents(std::vector<ProfileEvent>& accumulated, const std::vector<ProfileEvent>& incoming);

// Turns the sums that mergeEvents left into means over the merged events.
void finishEventAverages(std::vector<ProfileEvent>& events);

}  // namespace vyn::profiling

#endif  // VYN_READER_PHASE_STATISTICS_H_
