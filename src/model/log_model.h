// A loaded profiling log, as plain data: what the capture of its messages left,
// for the statistics and the reports to read.
#ifndef VYN_MODEL_LOG_MODEL_H_
#define VYN_MODEL_LOG_MODEL_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/event_list.h"
#include "model/event_store.h"
#include "model/occurrence.h"
#include "model/text_pool.h"
#include "model/visibility_tally.h"

namespace vyn::profiling {

// The values of the first log header met.
struct LogHeaderInfo {
  float timeScale = 0.0f;
  std::uint64_t epochTimestamp = 0;  // creation time, microseconds since the Unix epoch
  std::uint64_t steadyClockTimestamp = 0;
  std::string generatorVersion;
  std::string backendVersion;
  std::string generatorName;
  bool generatedByUpdater = false;  // the log comes from the binary-section updater tool
};

struct LogModel {
  LogModel() = default;
  LogModel(const LogModel&) = delete;
  LogModel& operator=(const LogModel&) = delete;

  // The events of an occurrence, as a list.
  EventList list(EventSpan span) const { return {events.rows(span), span.count, texts, events}; }
  std::string_view text(TextId id) const { return texts.view(id); }

  TextPool texts;
  EventStore events;

  std::optional<LogHeaderInfo> header;
  // Every message met, sorted by the visibility level.
  VisibilityTally visibility;

  // Initialisation: the Init message, and the Init sub-events that execution and
  // finalize messages carry (events with the Init identifier).
  std::uint64_t initMessageTimestamp = 0;
  std::uint64_t initMessageTime = 0;
  TextId initName = kEmptyText;
  std::optional<EventSpan> initEvents;
  // The InitEvents message: timed Init sub-events of context creation.
  std::optional<Occurrence> contextCreation;

  // Graph composition: the first non-zero timestamp, the summed time, the
  // non-empty names in message order.
  std::uint64_t composeTimestamp = 0;
  std::uint64_t composeTime = 0;
  std::vector<TextId> composeNames;
  std::uint64_t composeMessages = 0;  // the visible ones

  // Finalization, one entry per graph in order of first appearance.
  std::vector<GraphOccurrence> finalizations;
  bool finalizeMessageSeen = false;  // a Finalize message was taken
  bool finalizeEventsSeen = false;   // finalize sub-events were met; finalizations show theirs

  std::vector<GraphSeries> executions;
  bool hostRoundTrip = false;  // executions were timed as host round trips
  std::optional<Occurrence> executeOverall;

  std::vector<GraphSeries> sectionApplications;  // ApplyBinarySection calls per graph
  std::vector<GraphSeries> tensorUpdates;        // per graph key, each call with its own name
  std::optional<Occurrence> sectionUpdate;       // the latest UpdateBinarySection

  std::vector<ContextCall> contextBinaryCalls;  // the latest call per measurement
  std::vector<Occurrence> contextSectionSizeCalls;

  std::optional<Occurrence> libraryLoad;
  Occurrence deInit;
};

}  // namespace vyn::profiling

#endif  // VYN_MODEL_LOG_MODEL_H_
