// The records of a log as a reader loads them: one complete record at a time,
// with every way the log can end reported to the diagnostic logger.
#ifndef VYN_FORMAT_LOG_RECORDS_H_
#define VYN_FORMAT_LOG_RECORDS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "format/log_frames.h"

namespace vyn::profiling {

class LogRecords {
 public:
  enum class Next {
    Record,  // the next record's bytes, not verified yet
    End,     // the log ended cleanly (stray bytes after the last record included)
    Failed,  // a record cut short or that could not be held; already reported
  };

  // False, with ERROR "Invalid or nonexistent file: %s", when the log cannot be read.
  bool open(const std::string& path);

  // The bytes of the next record replace record's contents. A record that cannot
  // be read at all comes as an empty record, which fails verification.
  Next next(ByteBuffer& record);

  // Bytes consumed so far, and the file's size (0 when it is not a regular file):
  // how far a load has come.
  std::uint64_t position() const { return frames_.position(); }
  std::uint64_t fileSize() const { return frames_.fileSize(); }

 private:
  LogFrameReader frames_;
  Frame frame_;
};

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_LOG_RECORDS_H_
