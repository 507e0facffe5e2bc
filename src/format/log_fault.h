// Why a log cannot be read to its end: the one diagnosis that the readers, the
// capture and every tool share. Built only when something fails.
#ifndef VYN_FORMAT_LOG_FAULT_H_
#define VYN_FORMAT_LOG_FAULT_H_

#include <cstdint>
#include <optional>
#include <string>

namespace vyn::profiling {

enum class LogFaultKind {
  Unopened,       // the file cannot be opened: missing, a directory, not permitted
  ReadError,      // reading failed part way through
  OutOfMemory,    // a record's bytes could not be held
  Truncated,      // a length prefix announces more bytes than remain
  TooLarge,       // a record at or beyond the verifier's size limit
  Malformed,      // a record that does not verify
  CopiesTooMuch,  // a record that verifies but would make a reader copy too much
};

struct LogFault {
  LogFaultKind kind = LogFaultKind::Malformed;
  std::uint64_t record = 0;  // the frame's position in the log, from 0
  std::uint64_t offset = 0;  // byte offset of its length prefix
  // The message to blame, when the fault lies inside one.
  std::optional<std::uint64_t> message;
  // What is wrong, without where: "message 3 has no timing (a required field)",
  // "no such file", "truncated record: the length prefix announces ...".
  std::string words;
  // For a first frame that is not even plausible as a record: "not a profiling
  // log: ..." with its length prefix and the file's size. Empty otherwise.
  std::string notALog;

  // A refused record, after which the frames that follow can still be read.
  bool recordRefused() const {
    return kind == LogFaultKind::TooLarge || kind == LogFaultKind::Malformed || kind == LogFaultKind::CopiesTooMuch;
  }
  // "record 3 at byte offset 96".
  std::string where() const;
  // where() and the words, "record 3 at byte offset 96: ..."; the words alone
  // for a file that cannot be opened.
  std::string located() const;
  // What a tool says: notALog when set, else located().
  std::string text() const;
  // Why a load failed: the words for a file that cannot be opened, notALog when
  // set, else "the log could not be loaded: " and located().
  std::string loadFailure() const;
};

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_LOG_FAULT_H_
