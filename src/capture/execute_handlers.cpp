// Executions and finalizations per graph. Their events are sorted by identifier
// into Init sub-events, Finalize sub-events and execution sub-events.
#include "capture/event_conversion.h"
#include "capture/graph_lookup.h"
#include "capture/handlers.h"
#include "capture/message_readings.h"

namespace vyn::profiling {
namespace {

constexpr std::uint32_t kInitEventId = 100;
constexpr std::uint32_t kFinalizeEventId = 300;

std::vector<ProfileEvent> messageEvents(VynProfileLogReader& reader,
                                        const fb::MethodMessage& message) {
  std::vector<ProfileEvent> events;
  convertEvents(reader.eventStringPool, message.events(), events);
  return events;
}

// Init sub-events are replaced only by a message that carries some, so that an
// unrelated message does not wipe them.
void replaceInitEvents(VynProfileLogReader& reader, std::vector<ProfileEvent>& initEvents) {
  if (!initEvents.empty()) reader.initStat.subEvents = std::move(initEvents);
}

}  // namespace

bool handleExecute(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  const std::uint64_t duration = messageDuration(message);
  if (message.name() == nullptr) return false;

  PhaseStat run;
  run.value = duration;
  run.timestamp = messageTimestamp(message);
  run.subEvents = messageEvents(reader, message);
  // Init events move out; the execution keeps the rest in their order, in the
  // vector they were converted into.
  std::vector<ProfileEvent> initEvents;
  auto kept = run.subEvents.begin();
  for (auto event = run.subEvents.begin(); event != run.subEvents.end(); ++event) {
    if (event->identifier == kInitEventId) {
      initEvents.push_back(std::move(*event));
      reader.hasInitStat = true;
    } else {
      if (kept != event) *kept = std::move(*event);
      ++kept;
    }
  }
  run.subEvents.erase(kept, run.subEvents.end());
  replaceInitEvents(reader, initEvents);
  appendToSeries(reader.executeSeries, reader.executeSeriesIndex, cText(message.name()), std::move(run));
  return true;
}

bool handleFinalize(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  if (message.name() == nullptr) return false;

  GraphPhaseStat& entry =
      findOrAddGraph(reader.finalizeStats, reader.finalizeStatsIndex, cText(message.name()));
  if (hasTiming(message)) entry.stat.value = messageDuration(message);
  entry.stat.timestamp = messageTimestamp(message);
  reader.hasFinalize = true;

  std::vector<ProfileEvent> initEvents;
  std::vector<ProfileEvent> finalizeEvents;
  for (ProfileEvent& event : messageEvents(reader, message)) {
    if (event.identifier == kInitEventId) {
      initEvents.push_back(std::move(event));
      reader.hasInitStat = true;
    } else {
      finalizeEvents.push_back(std::move(event));
      reader.hasFinalizeStats = true;
    }
  }
  replaceInitEvents(reader, initEvents);
  if (reader.hasFinalizeStats) entry.stat.subEvents = std::move(finalizeEvents);
  return true;
}

bool handleExecuteEvents(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  if (message.name() == nullptr) return false;
  const std::string graphName = cText(message.name());

  std::vector<ProfileEvent> initEvents;
  std::vector<ProfileEvent> finalizeEvents;
  std::vector<ProfileEvent> executeEvents;
  for (ProfileEvent& event : messageEvents(reader, message)) {
    if (event.identifier == kFinalizeEventId) {
      finalizeEvents.push_back(std::move(event));
      reader.hasFinalizeStats = true;
    } else if (event.identifier == kInitEventId) {
      initEvents.push_back(std::move(event));
      reader.hasInitStat = true;
    } else {
      executeEvents.push_back(std::move(event));
    }
  }
  replaceInitEvents(reader, initEvents);
  // Only a message with finalize events creates or changes a finalize entry.
  if (!finalizeEvents.empty()) {
    GraphPhaseStat& entry = findOrAddGraph(reader.finalizeStats, reader.finalizeStatsIndex, graphName);
    entry.stat.subEvents = std::move(finalizeEvents);
  }

  if (!executeEvents.empty()) {
    // Late events go to the oldest execution of the graph that has none yet.
    const std::size_t position = reader.executeSeriesIndex.find(reader.executeSeries, graphName);
    if (position != GraphIndex::npos) {
      std::vector<PhaseStat>& runs = reader.executeSeries[position].stats;
      // Runs only ever gain events, so the ones known to have them stay known.
      std::vector<std::size_t>& withEvents = reader.executeRunsWithEvents;
      if (withEvents.size() <= position) withEvents.resize(reader.executeSeries.size(), 0);
      std::size_t& oldest = withEvents[position];
      if (oldest > runs.size()) oldest = 0;
      while (oldest < runs.size() && !runs[oldest].subEvents.empty()) ++oldest;
      if (oldest < runs.size()) {
        runs[oldest].subEvents = std::move(executeEvents);
        ++oldest;
        return true;
      }
    }
    PhaseStat run;
    run.subEvents = std::move(executeEvents);
    appendToSeries(reader.executeSeries, reader.executeSeriesIndex, graphName, std::move(run));
  }
  return true;
}

}  // namespace vyn::profiling

