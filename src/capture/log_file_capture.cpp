#include "capture/log_file_capture.h"

#include "capture/log_capture.h"
#include "format/log_records.h"
#include "format/record_cursor.h"

namespace vyn::profiling {

bool captureLogFile(const std::string& path, std::int8_t visibilityLevel, LogModel& model,
                    const LoadProgress& progress) {
  LogRecords records;
  if (!records.open(path)) return false;
  LogCapture capture(model, visibilityLevel);
  RecordCursor cursor;
  ByteBuffer record;
  for (;;) {
    const LogRecords::Next next = records.next(record);
    if (next == LogRecords::Next::End) return true;
    if (next == LogRecords::Next::Failed) return false;
    if (!cursor.initialize(record.data(), record.size())) return false;
    if (!model.header) capture.captureHeader(cursor.getHeader());
    while (const fb::MethodMessage* message = cursor.getNextMessage()) capture.dispatch(*message);
    cursor.release();
    if (progress) progress(records.position(), records.fileSize());
  }
}

}  // namespace vyn::profiling
