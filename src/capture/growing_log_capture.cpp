#include "capture/growing_log_capture.h"

#include <sys/stat.h>

#include <utility>

#include "format/log_read_ahead.h"
#include "format/record_format.h"

namespace vyn::profiling {
namespace {

// A frame the end of the file cut short, which the writer may still finish: its
// length prefix could announce a record, and its first bytes do not already
// say that the file is no log.
bool stillBeingWritten(const ReadAheadScanner& scanner) {
  const LogFault& fault = scanner.fault();
  return fault.kind == LogFaultKind::Truncated && fault.notALog.empty() && scanner.frame().length < kMaxRecordSize;
}

}  // namespace

GrowingLogCapture::GrowingLogCapture(std::string path, std::int8_t visibilityLevel)
    : path_(std::move(path)), capture_(model_, visibilityLevel) {}

void GrowingLogCapture::lookAtSize() {
  struct stat status {};
  if (::stat(path_.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
    fileSize_ = static_cast<std::uint64_t>(status.st_size);
  }
}

std::uint64_t GrowingLogCapture::update() {
  lookAtSize();
  // Nothing was appended since the last look: the tail that waits is not read again.
  if (fault_ || (scanned_ && fileSize_ == scannedSize_)) return 0;
  // What was appended since is read ahead when it is large: a first look at a
  // long log already written loads as fast as a whole load.
  ReadAheadScanner scanner;
  if (!scanner.openAt(path_, position_, records_)) {
    fault_ = scanner.fault();
    return 0;
  }
  fileSize_ = scanner.fileSize();
  scanned_ = true;
  scannedSize_ = fileSize_;
  if (fileSize_ < position_) {
    fault_ = LogFault{LogFaultKind::ReadError,
                      records_,
                      fileSize_,
                      std::nullopt,
                      "the log shrank to " + std::to_string(fileSize_) + " bytes after " + std::to_string(position_) +
                          " had been read: it was cut or replaced",
                      {}};
    return 0;
  }
  LogScanner::Step step = scanner.next();
  const std::uint64_t before = records_;
  for (; step == LogScanner::Step::Record; step = scanner.next()) {
    cursor_.attach(scanner.frame().bytes.data());
    if (!model_.header) capture_.captureHeader(cursor_.getHeader());
    while (const fb::MethodMessage* message = cursor_.getNextMessage()) capture_.dispatch(*message);
    cursor_.release();
    ++records_;
    position_ = scanner.position();
  }
  if (step == LogScanner::Step::Fault && !stillBeingWritten(scanner)) {
    fault_ = scanner.fault();
  }
  return records_ - before;
}

}  // namespace vyn::profiling
