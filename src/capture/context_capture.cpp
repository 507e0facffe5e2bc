// Calls that read a compiled context back out of the runtime, kept under fixed
// measurement names. Their events are not read.
#include "capture/log_capture.h"
#include "format/message_readings.h"

namespace vyn::profiling {

bool LogCapture::captureContextBinary(const fb::MethodMessage& message) {
  if (!visible(message)) return false;
  const std::string_view measurement =
      message.methodType() == fb::MethodType_ContextGetBinarySize ? "CONTEXT GET BINARY SIZE" : "CONTEXT GET BINARY";
  Occurrence call = timedOccurrence(message);
  call.name = internedText(message.name());
  // The latest call of each measurement is kept, in the place of its first.
  for (ContextCall& kept : model_.contextBinaryCalls) {
    if (kept.measurement == measurement) {
      kept.occurrence = call;
      return true;
    }
  }
  model_.contextBinaryCalls.push_back({measurement, call});
  return true;
}

bool LogCapture::captureContextBinarySection(const fb::MethodMessage& message) {
  if (!visible(message)) return false;
  Occurrence call = timedOccurrence(message);
  call.name = internedText(message.name());
  model_.contextSectionSizeCalls.push_back(call);
  return true;
}

}  // namespace vyn::profiling
