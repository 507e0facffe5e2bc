#include "stats/phase_statistics.h"

#include "stats/event_averager.h"

namespace vyn::profiling {
namespace {

// The chosen occurrence as an extreme: its value, timestamp and events.
Occurrence extreme(const Occurrence* chosen) {
  if (chosen == nullptr) return {};
  Occurrence result = *chosen;
  result.name = kEmptyText;
  return result;
}

}  // namespace

std::uint64_t averageValueOf(const std::vector<Occurrence>& occurrences) {
  std::uint64_t sum = 0;
  std::uint64_t nonZero = 0;
  for (const Occurrence& occurrence : occurrences) {
    sum += occurrence.value;
    if (occurrence.value != 0) ++nonZero;
  }
  return nonZero == 0 ? 0 : sum / nonZero;
}

AveragedPhase averageOf(const LogModel& model, const std::vector<Occurrence>& occurrences) {
  AveragedPhase result;
  result.value = averageValueOf(occurrences);
  if (!occurrences.empty()) result.timestamp = occurrences.back().timestamp;
  EventAverager averager;
  for (const Occurrence& occurrence : occurrences) averager.add(model.list(occurrence.events));
  result.events = averager.finish();
  return result;
}

Occurrence maximumOf(const std::vector<Occurrence>& occurrences) {
  const Occurrence* largest = nullptr;
  for (const Occurrence& occurrence : occurrences) {
    if (largest == nullptr || occurrence.value >= largest->value) largest = &occurrence;
  }
  return extreme(largest);
}

Occurrence minimumOf(const std::vector<Occurrence>& occurrences) {
  const Occurrence* smallest = nullptr;
  for (const Occurrence& occurrence : occurrences) {
    if (occurrence.value == 0) continue;
    if (smallest == nullptr || occurrence.value <= smallest->value) smallest = &occurrence;
  }
  return extreme(smallest);
}

}  // namespace vyn::profiling
