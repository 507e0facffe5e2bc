// Reads a profiling log frame by frame, in bounded memory.
//
// Each call of next() yields the next complete frame (its index, the byte offset
// of its length prefix and the record bytes), or says how the log ends: cleanly,
// with one to three stray bytes (which readers ignore), with a frame cut short by
// the end of the file, or with a read error. A length prefix never makes the
// reader allocate more than the bytes actually present (plus one read chunk when
// the input is not a regular file, whose size is unknown).
#ifndef VYN_FORMAT_LOG_FRAMES_H_
#define VYN_FORMAT_LOG_FRAMES_H_

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/byte_buffer.h"

namespace vyn::profiling {

using base::ByteBuffer;

struct Frame {
  std::uint64_t index = 0;   // position of the frame in the log, from 0
  std::uint64_t offset = 0;  // byte offset of its length prefix
  std::uint32_t length = 0;  // the length the prefix announces
  ByteBuffer bytes;          // the record; for StrayBytes/Truncated what is there
};

enum class FrameStatus {
  Frame,       // a complete frame
  End,         // the log ended after the previous frame
  StrayBytes,  // 1 to 3 bytes after the last frame: too short for a length prefix
  Truncated,   // a length prefix announcing more bytes than remain
  ReadError,   // the file could not be read; problem() says why
};

class LogFrameReader {
 public:
  LogFrameReader() = default;
  ~LogFrameReader();
  LogFrameReader(const LogFrameReader&) = delete;
  LogFrameReader& operator=(const LogFrameReader&) = delete;

  // Opens the log; false when it cannot be read, with the reason in problem().
  bool open(const std::string& path);
  // Opens the log to read on from offset, where frame firstIndex begins (a log
  // that grew since its frames before offset were read). An offset past the
  // file's end reads as the end.
  bool openAt(const std::string& path, std::uint64_t offset, std::uint64_t firstIndex);
  // Reuses frame's buffer. After anything but Frame, further calls return End.
  FrameStatus next(Frame& frame);
  // Goes on from offset (a regular file only), the next frame keeping the next
  // index; false, with the reason in problem(), when it cannot.
  bool seek(std::uint64_t offset);
  // Bytes consumed so far.
  std::uint64_t position() const { return position_; }
  // Size of the file when it is a regular file, else 0.
  std::uint64_t fileSize() const { return fileSize_; }
  const std::string& problem() const { return problem_; }

 private:
  // Reads up to size bytes; returns how many were read.
  std::size_t read(std::uint8_t* into, std::size_t size);
  // Appends up to size bytes to bytes without trusting size for the allocation.
  void readBounded(ByteBuffer& bytes, std::uint64_t size);

  std::FILE* file_ = nullptr;
  bool regular_ = false;
  bool finished_ = false;
  std::uint64_t fileSize_ = 0;
  std::uint64_t position_ = 0;
  std::uint64_t nextIndex_ = 0;
  std::string problem_;
};

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_LOG_FRAMES_H_
