#include "reader/phase_statistics.h"

#include "reader/event_merger.h"

namespace vyn::profiling {
namespace {

// Copies stat's timestamp and events into result; used for the extremes.
void takeOccurrence(PhaseStat& result, const PhaseStat& occurrence) {
  result.timestamp = occurrence.timestamp;
  result.subEvents = occurrence.subEvents;
}

}  // namespace

PhaseStat averagePhaseStats(const std::vector<PhaseStat>& occurrences) {
  PhaseStat result;
  std::uint64_t sum = 0;
  std::uint64_t nonZero = 0;
  EventMerger merger(result.subEvents);
  for (const PhaseStat& occurrence : occurrences) {
    sum += occurrence.value;
    if (occurrence.value != 0) ++nonZero;
    result.timestamp = occurrence.timestamp;
    merger.merge(occurrence.subEvents);
  }
  result.value = nonZero == 0 ? 0 : sum / nonZero;
  finishEventAverages(result.subEvents);
  return result;
}

PhaseStat maxPhaseStat(const std::vector<PhaseStat>& occurrences) {
  PhaseStat result;
  const PhaseStat* largest = nullptr;
  for (const PhaseStat& occurrence : occurrences) {
    if (largest == nullptr || occurrence.value >= largest->value) largest = &occurrence;
  }
  if (largest != nullptr) {
    result.value = largest->value;
    takeOccurrence(result, *largest);
  }
  return result;
}

PhaseStat minPhaseStat(const std::vector<PhaseStat>& occurrences) {
  PhaseStat result;
  const PhaseStat* smallest = nullptr;
  for (const PhaseStat& occurrence : occurrences) {
    if (occurrence.value == 0) continue;
    if (smallest == nullptr || occurrence.value <= smallest->value) smallest = &occurrence;
  }
  if (smallest != nullptr) {
    result.value = smallest->value;
    takeOccurrence(result, *smallest);
  }
  return result;
}

}  // namespace vyn::profiling
