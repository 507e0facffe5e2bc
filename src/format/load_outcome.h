// What loading a log came to: how many records were taken and, when the load
// stopped before the log's end, why. A failed load carries its fault, so that
// nothing reads the log again to explain it.
#ifndef VYN_FORMAT_LOAD_OUTCOME_H_
#define VYN_FORMAT_LOAD_OUTCOME_H_

#include <cstdint>
#include <optional>
#include <string>

#include "format/log_fault.h"
#include "format/log_scanner.h"

namespace vyn::profiling {

struct LoadOutcome {
  std::optional<LogFault> fault;  // nothing when the whole log was read
  std::uint64_t records = 0;      // records taken before the end or the fault

  bool loaded() const { return !fault; }
};

// Reports a fault that stops a reader's load to the diagnostic logger, in the
// reader's words: "Invalid or nonexistent file: PATH", "Truncated record: N
// bytes announced, M available", "Corrupted flatbuffer binary stream" for a
// record that does not verify or cannot be read, and the allocation failures.
// frame is the one the fault stopped at.
void logLoadFault(const LogFault& fault, const Frame& frame, const std::string& path);
inline void logLoadFault(const LogScanner& scanner, const std::string& path) {
  logLoadFault(scanner.fault(), scanner.frame(), path);
}

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_LOAD_OUTCOME_H_
