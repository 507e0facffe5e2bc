// Executions and finalizations per graph. Their events are sorted by identifier
// into Init sub-events, Finalize sub-events and execution sub-events. Execution
// sub-events stay in their record until they are read (see DeferredEvents); the
// few Init and Finalize events are converted at once.
#include "capture/event_conversion.h"
#include "capture/graph_lookup.h"
#include "capture/handlers.h"
#include "capture/message_readings.h"

namespace vyn::profiling {
namespace {

constexpr std::uint32_t kInitEventId = 100;
constexpr std::uint32_t kFinalizeEventId = 300;

// The message's top-level events with this identifier, converted, in order.
std::vector<ProfileEvent> eventsWithIdentifier(VynProfileLogReader& reader,
                                               const fb::MethodMessage& message,
                                               std::uint32_t identifier) {
  std::vector<ProfileEvent> selected;
  if (const EventEntryList* entries = message.events()) {
    for (const fb::EventEntry* entry : *entries)
      if (entry->identifier() == identifier)
        selected.push_back(convertEvent(reader.eventStringPool, *entry));
  }
  return selected;
}

// Init sub-events are replaced only by a message that carries some, so that an
// unrelated message does not wipe them.
void takeInitEvents(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  std::vector<ProfileEvent> initEvents = eventsWithIdentifier(reader, message, kInitEventId);
  if (initEvents.empty()) return;
  reader.hasInitStat = true;
  reader.initStat.subEvents = std::move(initEvents);
}

// Points run at the message's execution events, keeping the record for them.
void deferExecutionEvents(VynProfileLogReader& reader, const fb::MethodMessage& message,
                          ExecutionEventFilter filter, PhaseStat& run) {
  const std::uint32_t count = countExecutionEvents(message.events(), filter);
  if (count == 0) return;
  run.deferredEvents = DeferredEvents{message.events(), filter, count};
  reader.retainCurrentRecord();
}

}  // namespace

bool handleExecute(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  const std::uint64_t duration = messageDuration(message);
  if (message.name() == nullptr) return false;

  PhaseStat run;
  run.value = duration;
  run.timestamp = messageTimestamp(message);
  takeInitEvents(reader, message);
  deferExecutionEvents(reader, message, ExecutionEventFilter::AllButInit, run);
  appendToSeries(reader.executeSeries, cText(message.name()), std::move(run));
  return true;
}

bool handleFinalize(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  if (message.name() == nullptr) return false;

  GraphPhaseStat& entry = findOrAddGraph(reader.finalizeStats, cText(message.name()));
  if (hasTiming(message)) entry.stat.value = messageDuration(message);
  entry.stat.timestamp = messageTimestamp(message);
  reader.hasFinalize = true;

  std::vector<ProfileEvent> events;
  convertEvents(reader.eventStringPool, message.events(), events);
  std::vector<ProfileEvent> initEvents;
  std::vector<ProfileEvent> finalizeEvents;
  for (ProfileEvent& event : events) {
    if (event.identifier == kInitEventId) {
      initEvents.push_back(std::move(event));
    } else {
      finalizeEvents.push_back(std::move(event));
      reader.hasFinalizeStats = true;
    }
  }
  if (!initEvents.empty()) {
    reader.hasInitStat = true;
    reader.initStat.subEvents = std::move(initEvents);
  }
  if (reader.hasFinalizeStats) entry.stat.subEvents = std::move(finalizeEvents);
  return true;
}

bool handleExecuteEvents(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  if (message.name() == nullptr) return false;
  const std::string graphName = cText(message.name());

  takeInitEvents(reader, message);
  // Only a message with finalize events creates or changes a finalize entry.
  std::vector<ProfileEvent> finalizeEvents = eventsWithIdentifier(reader, message, kFinalizeEventId);
  if (!finalizeEvents.empty()) {
    reader.hasFinalizeStats = true;
    findOrAddGraph(reader.finalizeStats, graphName).stat.subEvents = std::move(finalizeEvents);
  }

  constexpr ExecutionEventFilter kFilter = ExecutionEventFilter::AllButInitAndFinalize;
  if (countExecutionEvents(message.events(), kFilter) == 0) return true;
  // Late events go to the oldest execution of the graph that has none yet.
  if (GraphPhaseSeries* series = findGraph(reader.executeSeries, graphName)) {
    for (PhaseStat& run : series->stats) {
      if (!run.hasEvents()) {
        deferExecutionEvents(reader, message, kFilter, run);
        return true;
      }
    }
  }
  PhaseStat run;
  deferExecutionEvents(reader, message, kFilter, run);
  appendToSeries(reader.executeSeries, graphName, std::move(run));
  return true;
}

}  // namespace vyn::profiling
