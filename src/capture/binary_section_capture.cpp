// Operations that change an already prepared graph: applying a binary section and
// finalizing after tensor updates (every call kept per graph), and updating a
// binary section (only the latest call kept).
#include "capture/log_capture.h"
#include "format/message_readings.h"

namespace vyn::profiling {

bool LogCapture::captureApplyBinarySection(const fb::MethodMessage& message) {
  if (!visible(message)) return false;
  if (message.name() == nullptr) return false;
  Occurrence call = timedOccurrence(message);
  call.events = storeAllEvents(message);
  appendToSeries(model_.sectionApplications, sectionApplicationIndex_, internedText(message.name()), call);
  return true;
}

bool LogCapture::captureFinalizeAfterTensorUpdates(const fb::MethodMessage& message) {
  if (!visible(message)) return false;
  if (message.name() == nullptr) return false;
  Occurrence call = timedOccurrence(message);
  const std::string_view name = cText(message.name());
  call.name = texts_.intern(name);
  call.events = storeAllEvents(message);
  appendToSeries(model_.tensorUpdates, tensorUpdateIndex_, texts_.intern(tensorUpdateGraphKey(name)), call);
  return true;
}

bool LogCapture::captureUpdateBinarySection(const fb::MethodMessage& message) {
  if (!visible(message)) return false;
  Occurrence update = timedOccurrence(message);
  update.events = storeAllEvents(message);
  model_.sectionUpdate = update;
  return true;
}

}  // namespace vyn::profiling
