// Average, maximum and minimum over the occurrences of a phase, with the events
// of the occurrences merged by name.
#ifndef VYN_READER_PHASE_STATISTICS_H_
#define VYN_READER_PHASE_STATISTICS_H_

#include <vector>

#include "reader/phase_stat.h"

namespace vyn::profiling {

// Each operation takes the occurrences' events through eventsOf(const PhaseStat&),
// which returns a reference valid until its next call; without it, an
// occurrence's events are its subEvents.

// Mean of the non-zero values (0 when there are none); the last occurrence's
// timestamp; events merged by name and averaged. The result carries no name.
template <typename EventsOf>
PhaseStat averagePhaseStats(const std::vector<PhaseStat>& occurrences, EventsOf&& eventsOf);
PhaseStat averagePhaseStats(const std::vector<PhaseStat>& occurrences);

// The largest value; ties go to the later occurrence, whose timestamp and events
// are taken.
template <typename EventsOf>
PhaseStat maxPhaseStat(const std::vector<PhaseStat>& occurrences, EventsOf&& eventsOf);
PhaseStat maxPhaseStat(const std::vector<PhaseStat>& occurrences);

// The smallest non-zero value; ties go to the later occurrence. When no value is
// non-zero the result is empty (value 0, timestamp 0, no events).
template <typename EventsOf>
PhaseStat minPhaseStat(const std::vector<PhaseStat>& occurrences, EventsOf&& eventsOf);
PhaseStat minPhaseStat(const std::vector<PhaseStat>& occurrences);

// Adds the incoming events into the accumulated ones, matching by name at each
// level; unmatched incoming events (other than object-valued ones) are appended.
void mergeEvents(std::vector<ProfileEvent>& accumulated, const std::vector<ProfileEvent>& incoming);

// Turns the sums that mergeEvents left into means over the merged events.
void finishEventAverages(std::vector<ProfileEvent>& events);

template <typename EventsOf>
PhaseStat averagePhaseStats(const std::vector<PhaseStat>& occurrences, EventsOf&& eventsOf) {
  PhaseStat result;
  std::uint64_t sum = 0;
  std::uint64_t nonZero = 0;
  for (const PhaseStat& occurrence : occurrences) {
    sum += occurrence.value;
    if (occurrence.value != 0) ++nonZero;
    result.timestamp = occurrence.timestamp;
    mergeEvents(result.subEvents, eventsOf(occurrence));
  }
  result.value = nonZero == 0 ? 0 : sum / nonZero;
  finishEventAverages(result.subEvents);
  return result;
}

template <typename EventsOf>
PhaseStat maxPhaseStat(const std::vector<PhaseStat>& occurrences, EventsOf&& eventsOf) {
  PhaseStat result;
  const PhaseStat* largest = nullptr;
  for (const PhaseStat& occurrence : occurrences)
    if (largest == nullptr || occurrence.value >= largest->value) largest = &occurrence;
  if (largest != nullptr) {
    result.value = largest->value;
    result.timestamp = largest->timestamp;
    result.subEvents = eventsOf(*largest);
  }
  return result;
}

template <typename EventsOf>
PhaseStat minPhaseStat(const std::vector<PhaseStat>& occurrences, EventsOf&& eventsOf) {
  PhaseStat result;
  const PhaseStat* smallest = nullptr;
  for (const PhaseStat& occurrence : occurrences) {
    if (occurrence.value == 0) continue;
    if (smallest == nullptr || occurrence.value <= smallest->value) smallest = &occurrence;
  }
  if (smallest != nullptr) {
    result.value = smallest->value;
    result.timestamp = smallest->timestamp;
    result.subEvents = eventsOf(*smallest);
  }
  return result;
}

}  // namespace vyn::profiling

#endif  // VYN_READER_PHASE_STATISTICS_H_
