// How far a log could be read: the whole of it, or the records before the
// first one that is cut short, does not verify or is refused; and the words
// that say so on standard error, the same for every command that reads a log.
#ifndef VYN_ANALYSIS_LOG_EXTENT_H_
#define VYN_ANALYSIS_LOG_EXTENT_H_

#include <cstdint>
#include <optional>
#include <string>

#include "format/log_fault.h"

namespace vyn::tools {

struct LogExtent {
  std::uint64_t records = 0;                 // records read, before the end or the fault
  std::optional<profiling::LogFault> fault;  // where and why the log stops being readable
  std::uint64_t fileSize = 0;                // 0 when unknown (not a regular file)

  bool complete() const { return !fault; }
  // Bytes from there to the end of the file; nothing for a whole log or a file
  // of unknown size.
  std::optional<std::uint64_t> unreadBytes() const;
};

// Whether a fault leaves records worth analysing before it: a record cut short,
// refused by the verifier or for copying too much, after at least one good
// record. A file that cannot be opened or read, that is not a log, or whose
// first record is bad is not.
bool readablePartFollows(const profiling::LogFault& fault);

// "the log stops being readable at record 7 (byte offset 1048620): truncated
// record: ...; 5123 bytes (0.5% of the file) left unread", for an incomplete log.
std::string unreadableTailText(const LogExtent& extent);

// "incomplete: the 7 records before byte offset 1048620, where the log stops
// being readable", for the heading of a text output; empty for a whole log.
std::string incompleteText(const LogExtent& extent);

// The warning of a command that goes on with the readable records of the log
// at path: the text above, how many records it uses, and the repair command
// that keeps them as a log of their own.
std::string partialLogWarning(const std::string& path, const LogExtent& extent);

// The error of a command that --strict stops at an incomplete log.
std::string strictRefusal(const std::string& path, const LogExtent& extent);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_LOG_EXTENT_H_
