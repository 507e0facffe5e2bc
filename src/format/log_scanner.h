// The one loop over a log's frames: reads them, verifies each record, and
// yields the records that verify or the fault that stops them, with every way
// a log can end handled here (end, stray bytes, cut short, read error). Each
// caller keeps only what is its own: a reader captures, check counts, dump
// prints, repair copies.
//
// The happy path costs a frame read and verifyRecord; a fault's words are built
// only when a frame fails.
#ifndef VYN_FORMAT_LOG_SCANNER_H_
#define VYN_FORMAT_LOG_SCANNER_H_

#include <cstdint>
#include <string>
#include <utility>

#include "format/log_fault.h"
#include "format/log_frames.h"

namespace vyn::profiling {

class LogScanner {
 public:
  enum class Step {
    Record,  // frame() holds a record that verifies
    End,     // the log ended; strayBytes() says whether 1 to 3 bytes trailed it
    Fault,   // fault() says what is wrong; frame() holds what was read of it
  };

  // False when the file cannot be opened, with fault() of kind Unopened.
  bool open(const std::string& path);
  // The same, reading on from offset, where frame firstIndex begins: what a
  // reader of a growing log does with the bytes appended since it last read.
  bool openAt(const std::string& path, std::uint64_t offset, std::uint64_t firstIndex);

  // The next step. After a refused record (LogFault::recordRefused) the frames
  // that follow can still be read; after any other fault, End follows.
  Step next();

  // Goes on from the frame whose length prefix is at offset, after any step,
  // as after a frame that ended there; frames are numbered on from the
  // complete frames read before. False, with fault() of kind ReadError, when the log is not a
  // regular file or cannot be read there.
  bool restartAt(std::uint64_t offset);

  const Frame& frame() const { return frame_; }
  // Exchanges the frame just read with other: its bytes change hands without a
  // copy, and the next frame is read into other's buffer.
  void swapFrame(Frame& other) { std::swap(frame_, other); }
  const LogFault& fault() const { return fault_; }
  // Bytes after the last frame, too few for a length prefix (readers ignore them).
  std::size_t strayBytes() const { return strayBytes_; }
  // Bytes consumed so far, and the file's size (0 when it is not a regular file).
  std::uint64_t position() const { return frames_.position(); }
  std::uint64_t fileSize() const { return frames_.fileSize(); }

 private:
  Step fail(LogFaultKind kind, std::string words);

  LogFrameReader frames_;
  Frame frame_;
  LogFault fault_;
  std::size_t strayBytes_ = 0;
  bool finished_ = false;
};

// For a log's first frame that does not hold a record: empty when its length
// prefix is plausible (a damaged or cut record of a log), otherwise "not a
// profiling log: ..." with the prefix and the file's size (0: unknown). A
// prefix is implausible when it is too small for a record, too large for the
// verifier, larger than the file by more than a cut-short record could miss
// (64 MiB), or when the bytes after it begin with a root offset outside the
// record: what a text file or any other kind of file gives.
std::string notAProfilingLog(const Frame& frame, std::uint64_t fileSize);

// Whether a length prefix and the root offset that follows it could begin a
// record: the length between the smallest record and the verifier's limit, the
// root offset inside the record, after itself and with room for a table.
bool plausibleRecordStart(std::uint32_t length, std::uint32_t rootOffset);

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_LOG_SCANNER_H_
