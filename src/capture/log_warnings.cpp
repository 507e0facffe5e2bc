#include "capture/log_warnings.h"

#include "format/log_scanner.h"
#include "format/message_readings.h"

namespace vyn::profiling {

std::vector<std::string> logWarnings(const LoadOutcome& outcome, const VisibilityTally& messages,
                                     std::int8_t visibilityLevel) {
  if (outcome.records == 0) return {"warning: the log holds no records; the report is empty"};
  if (messages.messages() == 0) return {"warning: the log's records hold no messages; the report is empty"};
  if (messages.taken != 0) return {};
  std::string text = "warning: no message passed visibility level " + std::to_string(visibilityLevel) + ": all " +
                     std::to_string(messages.skipped) + " were skipped; ";
  if (messages.lowestSkippedLevel == INT8_MAX) {
    text += "their level, " + std::to_string(INT8_MAX) + ", is above every visibility level";
  } else {
    const int lowest = messages.lowestSkippedLevel + 1;
    text += "the lowest visibility level that takes any of them is " + std::to_string(lowest) + " (--visibility " +
            std::to_string(lowest) + ")";
  }
  return {text};
}

LogSurvey surveyLogFile(const std::string& path, std::int8_t visibilityLevel) {
  LogSurvey survey;
  LogScanner scanner;
  LogScanner::Step step = scanner.open(path) ? scanner.next() : LogScanner::Step::Fault;
  for (; step == LogScanner::Step::Record; step = scanner.next()) {
    ++survey.outcome.records;
    const auto* messages = flatbuffers::GetRoot<fb::ProfileLogRecord>(scanner.frame().bytes.data())->messages();
    if (messages == nullptr) continue;
    for (const fb::MethodMessage* message : *messages) {
      survey.visibility.count(passesVisibility(visibilityLevel, *message), message->level());
    }
  }
  if (step == LogScanner::Step::Fault) survey.outcome.fault = scanner.fault();
  return survey;
}

}  // namespace vyn::profiling
