#include "support/captured_model.h"

#include <gtest/gtest.h>

#include "format/record_cursor.h"

namespace vyn::testing {

std::vector<bool> CapturedModel::add(const Record& record) {
  const std::vector<std::uint8_t> bytes = buildRecord(record);
  profiling::RecordCursor cursor;
  std::vector<bool> taken;
  if (!profiling::verifyRecord(bytes.data(), bytes.size())) {
    ADD_FAILURE() << "the test record does not verify";
    return taken;
  }
  cursor.attach(bytes.data());
  if (!model_->header) capture_.captureHeader(cursor.getHeader());
  while (const auto* message = cursor.getNextMessage()) taken.push_back(capture_.dispatch(*message));
  return taken;
}

std::string eventNames(const profiling::LogModel& model, profiling::EventSpan events) {
  std::string text;
  profiling::walkEvents(model.list(events), [&](const profiling::EventItem& event) {
    text += (text.empty() ? "" : " ") + std::string(event.name);
    return false;
  });
  return text;
}

std::string modelText(const profiling::LogModel& m) {
  std::string text;
  const auto part = [&](const std::string& piece) { text += (text.empty() ? "" : "; ") + piece; };
  const auto shown = [&](const profiling::Occurrence& occurrence) {
    return std::to_string(occurrence.value) + "@" + std::to_string(occurrence.timestamp) + " '" +
           std::string(m.text(occurrence.name)) + "' [" + eventNames(m, occurrence.events) + "]";
  };
  const auto series = [&](const std::string& label, const std::vector<profiling::GraphSeries>& list) {
    for (const profiling::GraphSeries& graph : list) {
      std::string runs;
      for (const profiling::Occurrence& run : graph.occurrences) runs += (runs.empty() ? "" : ", ") + shown(run);
      part(label + " " + std::string(m.text(graph.graph)) + ": " + runs);
    }
  };
  if (m.initMessageTimestamp != 0 || m.initMessageTime != 0 || m.initName != profiling::kEmptyText)
    part("init: " + std::to_string(m.initMessageTime) + "@" + std::to_string(m.initMessageTimestamp) + " '" +
         std::string(m.text(m.initName)) + "'");
  if (m.initEvents) part("init events: [" + eventNames(m, *m.initEvents) + "]");
  if (m.contextCreation) part("context creation: " + shown(*m.contextCreation));
  if (m.composeTimestamp != 0 || m.composeTime != 0 || !m.composeNames.empty()) {
    std::string names;
    for (const profiling::TextId name : m.composeNames)
      names += (names.empty() ? "" : "; ") + std::string(m.text(name));
    part("compose: " + std::to_string(m.composeTime) + "@" + std::to_string(m.composeTimestamp) + " '" + names + "'");
  }
  for (const auto& entry : m.finalizations)
    part("finalize " + std::string(m.text(entry.graph)) + ": " + shown(entry.occurrence));
  if (m.finalizeMessageSeen) part("finalize message");
  if (m.finalizeEventsSeen) part("finalize events");
  series("execute", m.executions);
  if (m.hostRoundTrip) part("round trip");
  if (m.executeOverall) part("execute overall: " + shown(*m.executeOverall));
  series("apply", m.sectionApplications);
  series("tensor update", m.tensorUpdates);
  if (m.sectionUpdate) part("section update: " + shown(*m.sectionUpdate));
  for (const auto& call : m.contextBinaryCalls) part(std::string(call.measurement) + ": " + shown(call.occurrence));
  for (const profiling::Occurrence& call : m.contextSectionSizeCalls) part("section size: " + shown(call));
  if (m.libraryLoad) part("library load: " + shown(*m.libraryLoad));
  const profiling::Occurrence& deInit = m.deInit;
  if (deInit.value != 0 || deInit.timestamp != 0 || deInit.name != profiling::kEmptyText || !deInit.events.empty())
    part("deinit: " + shown(deInit));
  return text;
}

}  // namespace vyn::testing
