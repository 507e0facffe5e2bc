// Operations that change an already prepared graph: applying a binary section and
// finalizing after tensor updates (every call kept per graph), and updating a
// binary section (only the latest call kept).
#include "capture/event_conversion.h"
#include "capture/graph_lookup.h"
#include "capture/handlers.h"
#include "capture/message_readings.h"

namespace vyn::profiling {
namespace {

// The graph a tensor-update call belongs to: its name up to the first " [".
std::string tensorUpdateGraphKey(const std::string& name) {
  const std::size_t bracket = name.find(" [");
  return bracket == std::string::npos ? name : name.substr(0, bracket);
}

}  // namespace

bool handleApplyBinarySection(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  if (message.name() == nullptr) return false;
  PhaseStat call;
  if (hasTiming(message)) call.value = messageDuration(message);
  call.timestamp = messageTimestamp(message);
  convertEvents(reader.eventStringPool, message.events(), call.subEvents);
  appendToSeries(reader.applySectionSeries, reader.applySectionSeriesIndex, cText(message.name()),
                 std::move(call));
  reader.hasApplyBinarySection = true;
  return true;
}

bool handleFinalizeAfterTensorUpdates(VynProfileLogReader& reader,
                                      const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  if (message.name() == nullptr) return false;
  PhaseStat call;
  if (hasTiming(message)) call.value = messageDuration(message);
  call.name = cText(message.name());
  call.timestamp = messageTimestamp(message);
  convertEvents(reader.eventStringPool, message.events(), call.subEvents);
  const std::string graphKey = tensorUpdateGraphKey(call.name);
  appendToSeries(reader.tensorUpdateSeries, reader.tensorUpdateSeriesIndex, graphKey, std::move(call));
  reader.hasFinalizeAfterTensorUpdates = true;
  return true;
}

bool handleUpdateBinarySection(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  PhaseStat call;
  if (hasTiming(message)) call.value = messageDuration(message);
  call.timestamp = messageTimestamp(message);
  convertEvents(reader.eventStringPool, message.events(), call.subEvents);
  reader.updateSectionStats.clear();
  reader.updateSectionStats.push_back(GraphPhaseStat{std::string(), std::move(call)});
  reader.hasUpdateBinarySection = true;
  return true;
}

}  // namespace vyn::profiling
