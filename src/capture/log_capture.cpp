#include "capture/log_capture.h"

#include "format/message_readings.h"
#include "log/logger.h"

namespace vyn::profiling {
namespace {

constexpr const char* kUpdaterGeneratorName = "zevir-talvo-updater";

// Copies a header text with its stored length, byte for byte.
void copyIfPresent(const flatbuffers::String* text, std::string& member) {
  if (text != nullptr) member.assign(text->data(), text->size());
}

}  // namespace

LogCapture::LogCapture(LogModel& model, std::int8_t visibilityLevel)
    : model_(model), visibilityLevel_(visibilityLevel), texts_(model.texts), converter_(texts_, model.events) {}

void LogCapture::captureHeader(const fb::LogHeader* header) {
  if (model_.header) {
    VYN_LOG_DEBUG("Header details have been saved already.");
    return;
  }
  if (header == nullptr) {
    VYN_LOG_DEBUG("hdr is nullptr");
    return;
  }
  LogHeaderInfo& info = model_.header.emplace();
  info.epochTimestamp = header->epochTimestamp();
  info.steadyClockTimestamp = header->steadyClockTimestamp();
  info.timeScale = header->timeScale();
  copyIfPresent(header->generatorVersion(), info.generatorVersion);
  copyIfPresent(header->generatorName(), info.generatorName);
  copyIfPresent(header->backendVersion(), info.backendVersion);
  info.generatedByUpdater = header->generatorName() != nullptr && info.generatorName == kUpdaterGeneratorName;
}

bool LogCapture::dispatch(const fb::MethodMessage& message) {
  model_.visibility.count(visible(message), message.level());
  switch (message.methodType()) {
    case fb::MethodType_Execute:
      return captureExecute(message);
    case fb::MethodType_Finalize:
      return captureFinalize(message);
    case fb::MethodType_ExecuteRoundTrip:
      // Marks the log even when the message itself is filtered out.
      model_.hostRoundTrip = true;
      return captureExecute(message);
    case fb::MethodType_InitEvents:
      return captureSinglePhase(message, model_.contextCreation);
    case fb::MethodType_DeInit:
      return captureDeInit(message);
    case fb::MethodType_Init:
      return captureInit(message);
    case fb::MethodType_ComposeGraph:
      return captureComposeGraph(message);
    case fb::MethodType_ExecuteOverall:
      return captureSinglePhase(message, model_.executeOverall);
    case fb::MethodType_ExecuteEvents:
      return captureExecuteEvents(message);
    case fb::MethodType_DynamicLibLoad:
      return captureSinglePhase(message, model_.libraryLoad);
    case fb::MethodType_ApplyBinarySection:
    case fb::MethodType_ApplyBinarySection2:
      return captureApplyBinarySection(message);
    case fb::MethodType_ContextGetBinarySize:
    case fb::MethodType_ContextGetBinary:
      return captureContextBinary(message);
    case fb::MethodType_ContextGetBinarySectionSize:
      return captureContextBinarySection(message);
    case fb::MethodType_FinalizeAfterTensorUpdates:
      return captureFinalizeAfterTensorUpdates(message);
    case fb::MethodType_UpdateBinarySection:
      return captureUpdateBinarySection(message);
    default:
      VYN_LOG_ERROR("Unknown method type.");
      return false;
  }
}

bool LogCapture::visible(const fb::MethodMessage& message) const { return passesVisibility(visibilityLevel_, message); }

TextId LogCapture::internedText(const flatbuffers::String* text) {
  return text == nullptr ? kEmptyText : texts_.intern(cText(text));
}

Occurrence LogCapture::timedOccurrence(const fb::MethodMessage& message) {
  Occurrence occurrence;
  if (hasTiming(message)) occurrence.value = messageDuration(message);
  occurrence.timestamp = messageTimestamp(message);
  return occurrence;
}

EventSpan LogCapture::storeAllEvents(const fb::MethodMessage& message) {
  converter_.convert(message.events(), rows_);
  return model_.events.append(rows_.data(), rows_.size());
}

}  // namespace vyn::profiling
