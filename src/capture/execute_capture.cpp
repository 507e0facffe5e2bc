// Executions and finalizations per graph. Their events are sorted by identifier
// into Init sub-events, Finalize sub-events and execution sub-events.
#include "capture/log_capture.h"
#include "format/message_readings.h"

namespace vyn::profiling {
namespace {

constexpr std::uint32_t kInitEventId = 100;
constexpr std::uint32_t kFinalizeEventId = 300;

}  // namespace

LogCapture::SortedEvents LogCapture::storeSortedEvents(const fb::MethodMessage& message, bool sortFinalizeEvents) {
  enum List { kOther, kInit, kFinalize };
  const auto listOf = [sortFinalizeEvents](std::uint32_t identifier) {
    if (identifier == kInitEventId) return kInit;
    if (sortFinalizeEvents && identifier == kFinalizeEventId) return kFinalize;
    return kOther;
  };
  converter_.convert(message.events(), rows_);
  SortedEvents events;
  bool mixed = false;
  for (const EventRow& row : rows_) mixed |= row.depth == 0 && listOf(row.identifier) != kOther;
  if (!mixed) {
    events.other = model_.events.append(rows_.data(), rows_.size());
    return events;
  }
  for (std::vector<EventRow>& list : sorted_) list.clear();
  std::vector<EventRow>* list = &sorted_[kOther];
  for (const EventRow& row : rows_) {
    if (row.depth == 0) list = &sorted_[listOf(row.identifier)];
    list->push_back(row);
  }
  events.other = model_.events.append(sorted_[kOther].data(), sorted_[kOther].size());
  events.init = model_.events.append(sorted_[kInit].data(), sorted_[kInit].size());
  events.finalize = model_.events.append(sorted_[kFinalize].data(), sorted_[kFinalize].size());
  return events;
}

void LogCapture::replaceInitEvents(EventSpan events) {
  if (!events.empty()) model_.initEvents = events;
}

bool LogCapture::captureExecute(const fb::MethodMessage& message) {
  if (!visible(message)) return false;
  if (message.name() == nullptr) return false;
  Occurrence run;
  run.value = messageDuration(message);
  run.timestamp = messageTimestamp(message);
  const SortedEvents events = storeSortedEvents(message, false);
  replaceInitEvents(events.init);
  run.events = events.other;
  appendToSeries(model_.executions, executionIndex_, internedText(message.name()), run);
  return true;
}

bool LogCapture::captureFinalize(const fb::MethodMessage& message) {
  if (!visible(message)) return false;
  if (message.name() == nullptr) return false;
  GraphOccurrence& entry = findOrAddGraph(model_.finalizations, finalizationIndex_, internedText(message.name()));
  if (hasTiming(message)) entry.occurrence.value = messageDuration(message);
  entry.occurrence.timestamp = messageTimestamp(message);
  model_.finalizeMessageSeen = true;

  const SortedEvents events = storeSortedEvents(message, false);
  replaceInitEvents(events.init);
  if (!events.other.empty()) model_.finalizeEventsSeen = true;
  // Once finalize events have been met, every finalize message sets its graph's,
  // also to none.
  if (model_.finalizeEventsSeen) entry.occurrence.events = events.other;
  return true;
}

bool LogCapture::captureExecuteEvents(const fb::MethodMessage& message) {
  if (!visible(message)) return false;
  if (message.name() == nullptr) return false;
  const TextId graph = internedText(message.name());
  const SortedEvents events = storeSortedEvents(message, true);
  replaceInitEvents(events.init);
  // Only a message with finalize events creates or changes a finalize entry.
  if (!events.finalize.empty()) {
    model_.finalizeEventsSeen = true;
    findOrAddGraph(model_.finalizations, finalizationIndex_, graph).occurrence.events = events.finalize;
  }
  if (!events.other.empty()) attachLateEvents(graph, events.other);
  return true;
}

// Events logged after an execution go to the oldest execution of the graph that
// has none yet; without one they make an execution of their own, untimed.
void LogCapture::attachLateEvents(TextId graph, EventSpan events) {
  const std::size_t position = executionIndex_.find(model_.executions, graph);
  if (position != GraphIndex::npos) {
    std::vector<Occurrence>& runs = model_.executions[position].occurrences;
    // Executions only ever gain events, so the ones known to have some stay known.
    if (executionsWithEvents_.size() <= position) {
      executionsWithEvents_.resize(model_.executions.size(), 0);
    }
    std::size_t& oldest = executionsWithEvents_[position];
    while (oldest < runs.size() && !runs[oldest].events.empty()) ++oldest;
    if (oldest < runs.size()) {
      runs[oldest].events = events;
      ++oldest;
      return;
    }
  }
  Occurrence run;
  run.events = events;
  appendToSeries(model_.executions, executionIndex_, graph, run);
}

}  // namespace vyn::profiling
