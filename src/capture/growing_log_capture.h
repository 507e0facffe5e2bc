// Following a log that its runtime is still writing: the model grows by the
// records appended since the last look, read from where the last whole record
// ended, never from the log's start again.
#ifndef VYN_CAPTURE_GROWING_LOG_CAPTURE_H_
#define VYN_CAPTURE_GROWING_LOG_CAPTURE_H_

#include <cstdint>
#include <optional>
#include <string>

#include "capture/log_capture.h"
#include "format/log_fault.h"
#include "format/record_cursor.h"
#include "model/log_model.h"

namespace vyn::profiling {

class GrowingLogCapture {
 public:
  // Follows the log at path, taking the messages whose level is below
  // visibilityLevel, as captureLogFile does. Nothing is read before update().
  GrowingLogCapture(std::string path, std::int8_t visibilityLevel);
  GrowingLogCapture(const GrowingLogCapture&) = delete;
  GrowingLogCapture& operator=(const GrowingLogCapture&) = delete;

  // Captures the whole records appended since the last update and returns how
  // many. A record not yet written whole at the end (its length prefix or some
  // of its bytes missing) is waiting, read again next time. A record that is
  // all there but does not verify, a file that cannot be read or one that
  // shrank below what was read is damage: fault() tells it and following
  // stops; the model keeps what came before. An update that finds the file's
  // size as it was when last read, or that comes after a fault, only looks at
  // the size.
  std::uint64_t update();

  const LogModel& model() const { return model_; }
  const std::string& path() const { return path_; }
  // Whole records captured, and the bytes they take from the log's start.
  std::uint64_t records() const { return records_; }
  std::uint64_t position() const { return position_; }
  // The file's size when last looked at.
  std::uint64_t fileSize() const { return fileSize_; }
  // Bytes after the last whole record: a record still being written, while
  // following; what was not taken, once stopped.
  std::uint64_t waitingBytes() const { return fileSize_ > position_ ? fileSize_ - position_ : 0; }
  // What stopped the following; nothing while following.
  const std::optional<LogFault>& fault() const { return fault_; }
  bool following() const { return !fault_; }

 private:
  void lookAtSize();

  const std::string path_;
  LogModel model_;
  LogCapture capture_;
  RecordCursor cursor_;
  std::uint64_t records_ = 0;
  std::uint64_t position_ = 0;
  std::uint64_t fileSize_ = 0;
  // The file's size when its frames were last read, to skip reading when it is the same.
  bool scanned_ = false;
  std::uint64_t scannedSize_ = 0;
  std::optional<LogFault> fault_;
};

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_GROWING_LOG_CAPTURE_H_
