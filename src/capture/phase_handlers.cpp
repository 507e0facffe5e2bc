// Phases that happen once or a few times per log: a later message replaces the
// earlier values, except for graph composition, whose times add up.
#include "capture/event_conversion.h"
#include "capture/handlers.h"
#include "capture/message_readings.h"

namespace vyn::profiling {

bool handleInit(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  // Taken before the filter: the Init total needs it even for a hidden message.
  reader.initMessageTimestamp = messageTimestamp(message);
  if (!passesVisibility(reader, message)) return false;
  if (hasTiming(message)) reader.initMessageTime = messageDuration(message);
  if (message.name() != nullptr) reader.initName = cText(message.name());
  return true;
}

bool handleComposeGraph(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (reader.composeTimestamp == 0) reader.composeTimestamp = messageTimestamp(message);
  if (!passesVisibility(reader, message)) return false;
  if (hasTiming(message)) reader.composeTime += messageDuration(message);
  const std::string name = cText(message.name());
  if (!name.empty()) {
    if (!reader.composeName.empty()) reader.composeName += "; ";
    reader.composeName += name;
  }
  return true;
}

bool handleDeInit(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  if (!passesVisibility(reader, message)) return false;
  PhaseStat& stat = reader.deInitStat;
  if (hasTiming(message)) stat.value = messageDuration(message);
  stat.timestamp = messageTimestamp(message);
  if (message.name() != nullptr) stat.name = cText(message.name());
  std::vector<ProfileEvent> events;
  convertEvents(reader.eventStringPool, message.events(), events);
  stat.subEvents = std::move(events);
  return true;
}

bool handleSinglePhase(VynProfileLogReader& reader, const fb::MethodMessage& message,
                       PhaseStat& stat, bool& filled) {
  if (!passesVisibility(reader, message)) return false;
  if (hasTiming(message)) stat.value = messageDuration(message);
  stat.timestamp = messageTimestamp(message);
  std::vector<ProfileEvent> events;
  convertEvents(reader.eventStringPool, message.events(), events);
  stat.subEvents = std::move(events);
  filled = true;
  return true;
}

}  // namespace vyn::profiling
