// A loaded log's model as one line of text, so that a test compares all that a
// capture left, and only that, with what it expects.
#ifndef VYN_TESTS_CAPTURE_MODEL_TEXT_H_
#define VYN_TESTS_CAPTURE_MODEL_TEXT_H_

#include <string>

#include "model/log_model.h"

namespace vyn::testing {

// The names of the top-level events.
inline std::string eventNames(const profiling::LogModel& model, profiling::EventSpan events) {
  std::string text;
  profiling::walkEvents(model.list(events), [&](const profiling::EventItem& event) {
    text += (text.empty() ? "" : " ") + std::string(event.name);
    return false;
  });
  return text;
}

// Every part of the model that differs from a fresh one, in a fixed order and
// joined by "; "; an occurrence as "value@timestamp 'name' [events]". The header
// is left out.
inline std::string modelText(const profiling::LogModel& m) {
  std::string text;
  const auto part = [&](const std::string& piece) { text += (text.empty() ? "" : "; ") + piece; };
  const auto shown = [&](const profiling::Occurrence& occurrence) {
    return std::to_string(occurrence.value) + "@" + std::to_string(occurrence.timestamp) + " '" +
           std::string(m.text(occurrence.name)) + "' [" + eventNames(m, occurrence.events) + "]";
  };
  const auto occurrence = [&](const std::string& label, const profiling::Occurrence& o) {
    part(label + ": " + shown(o));
  };
  const auto series = [&](const std::string& label, const std::vector<profiling::GraphSeries>& list) {
    for (const profiling::GraphSeries& graph : list) {
      std::string runs;
      for (const profiling::Occurrence& run : graph.occurrences)
        runs += (runs.empty() ? "" : ", ") + shown(run);
      part(label + " " + std::string(m.text(graph.graph)) + ": " + runs);
    }
  };
  if (m.initMessageTimestamp != 0 || m.initMessageTime != 0 || !m.initName.empty())
    part("init: " + std::to_string(m.initMessageTime) + "@" + std::to_string(m.initMessageTimestamp) + " '" +
         m.initName + "'");
  if (m.initEvents) part("init events: [" + eventNames(m, *m.initEvents) + "]");
  if (m.contextCreation) occurrence("context creation", *m.contextCreation);
  if (m.composeTimestamp != 0 || m.composeTime != 0 || !m.composeName.empty())
    part("compose: " + std::to_string(m.composeTime) + "@" + std::to_string(m.composeTimestamp) + " '" +
         m.composeName + "'");
  for (const auto& entry : m.finalizations)
    occurrence("finalize " + std::string(m.text(entry.graph)), entry.occurrence);
  if (m.finalizeMessageSeen) part("finalize message");
  if (m.finalizeEventsSeen) part("finalize events");
  series("execute", m.executions);
  if (m.hostRoundTrip) part("round trip");
  if (m.executeOverall) occurrence("execute overall", *m.executeOverall);
  series("apply", m.sectionApplications);
  series("tensor update", m.tensorUpdates);
  if (m.sectionUpdate) occurrence("section update", *m.sectionUpdate);
  for (const auto& call : m.contextBinaryCalls) occurrence(std::string(call.measurement), call.occurrence);
  for (const profiling::Occurrence& call : m.contextSectionSizeCalls) occurrence("section size", call);
  if (m.libraryLoad) occurrence("library load", *m.libraryLoad);
  const profiling::Occurrence& deInit = m.deInit;
  if (deInit.value != 0 || deInit.timestamp != 0 || deInit.name != 0 || !deInit.events.empty())
    occurrence("deinit", deInit);
  return text;
}

}  // namespace vyn::testing

#endif  // VYN_TESTS_CAPTURE_MODEL_TEXT_H_
