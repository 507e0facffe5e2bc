// Finding where a damaged log's frames verify again. After a frame that is cut
// short or does not verify, nothing says where the next frame begins: the bad
// frame's length prefix may itself be what was damaged, and bytes may have been
// lost or added. A resync point is an offset from which frames verify again, a
// chain of them in a row, so that one chance match inside damaged bytes is not
// taken for a record.
//
// The search reads the file at any offset, so it needs a regular file; it
// looks only at offsets whose length prefix and root offset are plausible for
// a record (plausibleRecordStart) before verifying anything, and its work is
// bounded by kResyncReach offsets and kResyncVerifyBudget verified bytes.
#ifndef VYN_FORMAT_LOG_RESYNC_H_
#define VYN_FORMAT_LOG_RESYNC_H_

#include <cstdint>
#include <optional>
#include <string>

#include "base/byte_buffer.h"

namespace vyn::profiling {

// How many frames must verify in a row for an offset to be a resync point.
// A frame that verifies by chance in damaged bytes is rare; one whose length
// prefix then leads to a second and a third verifying frame is not met in
// practice. A shorter chain counts only when it reaches the end of the log.
inline constexpr std::size_t kResyncChainLength = 3;

// How far past the bad frame the search looks. A runtime writes records of
// kilobytes, at most a few megabytes; damage that spans more than 64 MiB (a
// lost block of a file system, a region overwritten by another file) leaves
// nothing behind it worth a scan that long, and the bound keeps a repair of a
// gigabyte log with a damaged tail from reading all of it byte by byte.
inline constexpr std::uint64_t kResyncReach = 64ull << 20;

// How many record bytes one search may verify at candidate offsets before it
// gives up: sixteen times its reach. Damage made of plausible frames that
// verify for a while and then fail would otherwise cost a full verification
// at every byte offset.
inline constexpr std::uint64_t kResyncVerifyBudget = 16 * kResyncReach;

class LogResync {
 public:
  LogResync() = default;
  ~LogResync();
  LogResync(const LogResync&) = delete;
  LogResync& operator=(const LogResync&) = delete;

  // False when path is not a regular file that can be read (a pipe cannot be
  // searched), with the reason in problem().
  bool open(const std::string& path);

  // Whether a chain starts at offset: kResyncChainLength frames in a row that
  // verify, or fewer that end where the log ends (fewer than a length prefix's
  // bytes after them, which readers ignore).
  bool chainStartsAt(std::uint64_t offset);

  // The first offset in [from, from + kResyncReach) at which a chain starts;
  // nothing when there is none within reach, when the search used up its
  // budget, or when the file could not be read (problem() then says why).
  std::optional<std::uint64_t> findChain(std::uint64_t from);

  // After a findChain that found nothing but did not look up to the end of
  // the log: why ("no frames verify again in the 64 MiB after it, ..."). Empty
  // otherwise.
  const std::string& stoppedShort() const { return stoppedShort_; }

  std::uint64_t fileSize() const { return fileSize_; }
  // Empty unless reading the file failed.
  const std::string& problem() const { return problem_; }

 private:
  // The length of the frame at offset when its length prefix and root offset
  // are plausible and it ends inside the file.
  std::optional<std::uint32_t> plausibleFrameAt(std::uint64_t offset);
  // A few bytes at offset, from the window or read.
  bool peek(std::uint64_t offset, std::uint8_t* bytes, std::size_t size);
  // The file's bytes [offset, offset + size), which must lie inside it: from
  // the window when they are in it, else read. Null after a read error.
  const std::uint8_t* bytesAt(std::uint64_t offset, std::size_t size);
  bool readInto(base::ByteBuffer& buffer, std::uint64_t offset, std::size_t size);
  bool readExactly(std::uint8_t* into, std::size_t size, std::uint64_t offset);

  int fd_ = -1;
  std::uint64_t fileSize_ = 0;
  // Bytes of the file from windowStart_, read ahead so that most candidate
  // offsets and the records at them are looked at without a read of their own.
  base::ByteBuffer window_;
  std::uint64_t windowStart_ = 0;
  // A record larger than the window.
  base::ByteBuffer large_;
  std::uint64_t verifiedBytes_ = 0;
  std::string stoppedShort_;
  std::string problem_;
};

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_LOG_RESYNC_H_
