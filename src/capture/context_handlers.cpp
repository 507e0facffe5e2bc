// Calls that read a compiled context back out of the runtime, stored under fixed
// measurement names. Their events are not read.
#include "capture/handlers.h"
#include "capture/message_readings.h"

namespace vyn::profiling {
namespace {

PhaseStat contextCallStat(const fb::MethodMessage& message) {
  PhaseStat stat;
  if (hasTiming(message)) stat.value = messageDuration(message);
  stat.timestamp = messageTimestamp(message);
  if (message.name() != nullptr) stat.name = cText(message.name());
  return stat;
}

}  // namespace

bool handleContextBinary(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  const char* key = message.methodType() == fb::MethodType_ContextGetBinarySize
                        ? "CONTEXT GET BINARY SIZE"
                        : "CONTEXT GET BINARY";
  reader.contextBinaryStats[key] = contextCallStat(message);
  reader.hasContextRetrieval = true;
  return true;
}

bool handleContextBinarySection(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  reader.contextSectionSeries["CONTEXT GET BINARY SECTION SIZE"].push_back(
      contextCallStat(message));
  reader.hasContextSectionRetrieval = true;
  return true;
}

}  // namespace vyn::profiling
