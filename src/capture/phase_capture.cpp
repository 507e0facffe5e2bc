// Phases that happen once or a few times per log: a later message replaces the
// earlier values, except for graph composition, whose times add up.
#include "capture/log_capture.h"
#include "format/message_readings.h"

namespace vyn::profiling {

bool LogCapture::captureInit(const fb::MethodMessage& message) {
  // Taken before the filter: the Init total needs it even for a hidden message.
  model_.initMessageTimestamp = messageTimestamp(message);
  if (!visible(message)) return false;
  if (hasTiming(message)) model_.initMessageTime = messageDuration(message);
  if (message.name() != nullptr) model_.initName = internedText(message.name());
  return true;
}

bool LogCapture::captureComposeGraph(const fb::MethodMessage& message) {
  // The first message with a timestamp wins, visible or not.
  if (model_.composeTimestamp == 0) model_.composeTimestamp = messageTimestamp(message);
  if (!visible(message)) return false;
  ++model_.composeMessages;
  if (hasTiming(message)) model_.composeTime += messageDuration(message);
  const TextId name = internedText(message.name());
  if (name != kEmptyText) model_.composeNames.push_back(name);
  return true;
}

bool LogCapture::captureDeInit(const fb::MethodMessage& message) {
  if (!visible(message)) return false;
  Occurrence& deInit = model_.deInit;
  if (hasTiming(message)) deInit.value = messageDuration(message);
  deInit.timestamp = messageTimestamp(message);
  if (message.name() != nullptr) deInit.name = internedText(message.name());
  deInit.events = storeAllEvents(message);
  return true;
}

bool LogCapture::captureSinglePhase(const fb::MethodMessage& message, std::optional<Occurrence>& phase) {
  if (!visible(message)) return false;
  Occurrence& occurrence = phase ? *phase : phase.emplace();
  if (hasTiming(message)) occurrence.value = messageDuration(message);
  occurrence.timestamp = messageTimestamp(message);
  occurrence.events = storeAllEvents(message);
  return true;
}

}  // namespace vyn::profiling
