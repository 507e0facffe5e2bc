#include "common/log_warnings.h"

#include "format/log_frames.h"
#include "format/message_readings.h"
#include "format/record_format.h"

namespace vyn::tools {

std::vector<std::string> logWarnings(bool hasRecords, const profiling::VisibilityTally& messages,
                                     std::int8_t visibilityLevel) {
  if (!hasRecords) return {"warning: the log holds no records; the report is empty"};
  if (messages.messages() == 0) return {"warning: the log's records hold no messages; the report is empty"};
  if (messages.taken != 0) return {};
  std::string text = "warning: no message passed visibility level " + std::to_string(visibilityLevel) +
                     ": all " + std::to_string(messages.skipped) + " were skipped; ";
  if (messages.lowestSkippedLevel == INT8_MAX) {
    text += "their level, " + std::to_string(INT8_MAX) + ", is above every visibility level";
  } else {
    const int lowest = messages.lowestSkippedLevel + 1;
    text += "the lowest visibility level that takes any of them is " + std::to_string(lowest) +
            " (--visibility " + std::to_string(lowest) + ")";
  }
  return {text};
}

profiling::VisibilityTally tallyVisibility(const std::string& path, std::int8_t visibilityLevel) {
  namespace fb = profiling::fb;
  profiling::VisibilityTally tally;
  profiling::LogFrameReader reader;
  if (!reader.open(path)) return tally;
  profiling::Frame frame;
  while (reader.next(frame) == profiling::FrameStatus::Frame &&
         profiling::verifyRecord(frame.bytes.data(), frame.bytes.size())) {
    const auto* messages = flatbuffers::GetRoot<fb::ProfileLogRecord>(frame.bytes.data())->messages();
    if (messages == nullptr) continue;
    for (const fb::MethodMessage* message : *messages) {
      tally.count(profiling::passesVisibility(visibilityLevel, *message), message->level());
    }
  }
  return tally;
}

}  // namespace vyn::tools
