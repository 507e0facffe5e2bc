#include "capture/log_file_capture.h"

#include "capture/log_capture.h"
#include "format/log_read_ahead.h"
#include "format/record_cursor.h"

namespace vyn::profiling {

LoadOutcome captureLogFile(const std::string& path, std::int8_t visibilityLevel, LogModel& model,
                           const LoadProgress& progress) {
  LoadOutcome outcome;
  ReadAheadScanner scanner;
  LogScanner::Step step = scanner.open(path) ? scanner.next() : LogScanner::Step::Fault;
  LogCapture capture(model, visibilityLevel);
  RecordCursor cursor;
  for (; step == LogScanner::Step::Record; step = scanner.next()) {
    cursor.attach(scanner.frame().bytes.data());
    if (!model.header) capture.captureHeader(cursor.getHeader());
    while (const fb::MethodMessage* message = cursor.getNextMessage()) capture.dispatch(*message);
    cursor.release();
    ++outcome.records;
    if (progress) progress(scanner.position(), scanner.fileSize());
  }
  if (step == LogScanner::Step::Fault) {
    logLoadFault(scanner.fault(), scanner.frame(), path);
    outcome.fault = scanner.fault();
  }
  return outcome;
}

}  // namespace vyn::profiling
