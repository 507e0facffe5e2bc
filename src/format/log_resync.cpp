#include "format/log_resync.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "format/log_scanner.h"
#include "format/record_format.h"

namespace vyn::profiling {
namespace {

// Bytes read ahead at a time: many records of a usual size, and few reads
// while the search walks through damaged bytes.
constexpr std::size_t kWindowSize = 4 << 20;

// The length prefix and the root offset after it.
constexpr std::size_t kFrameStartSize = kLengthPrefixSize + sizeof(flatbuffers::uoffset_t);

std::uint32_t readLittleEndian32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

}  // namespace

LogResync::~LogResync() {
  if (fd_ >= 0) ::close(fd_);
}

bool LogResync::open(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    problem_ = std::strerror(errno);
    return false;
  }
  struct stat status {};
  if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
    problem_ = "not a regular file";
    return false;
  }
  fileSize_ = static_cast<std::uint64_t>(status.st_size);
  return true;
}

bool LogResync::readInto(base::ByteBuffer& buffer, std::uint64_t offset, std::size_t size) {
  buffer.resize(size);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd_, buffer.data() + done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      problem_ = got < 0 ? "read error: " + std::string(std::strerror(errno)) : "the file shrank while it was read";
      buffer.clear();
      return false;
    }
    done += static_cast<std::size_t>(got);
  }
  return true;
}

const std::uint8_t* LogResync::bytesAt(std::uint64_t offset, std::size_t size) {
  if (!problem_.empty()) return nullptr;
  if (offset >= windowStart_ && offset + size <= windowStart_ + window_.size()) {
    return window_.data() + (offset - windowStart_);
  }
  if (size > kWindowSize) return readInto(large_, offset, size) ? large_.data() : nullptr;
  windowStart_ = offset;
  if (!readInto(window_, offset, static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, fileSize_ - offset)))) {
    return nullptr;
  }
  return window_.data();
}

bool LogResync::frameVerifiesAt(std::uint64_t offset, std::uint64_t& next) {
  if (offset > fileSize_ || fileSize_ - offset < kLengthPrefixSize + kSmallestRecordSize) return false;
  const std::uint8_t* start = bytesAt(offset, kFrameStartSize);
  if (start == nullptr) return false;
  const std::uint32_t length = readLittleEndian32(start);
  if (!plausibleRecordStart(length, readLittleEndian32(start + kLengthPrefixSize)) ||
      length > fileSize_ - offset - kLengthPrefixSize) {
    return false;
  }
  const std::uint8_t* record = bytesAt(offset + kLengthPrefixSize, length);
  verifiedBytes_ += length;
  if (record == nullptr || !verifyRecord(record, length)) return false;
  next = offset + kLengthPrefixSize + length;
  return true;
}

bool LogResync::chainStartsAt(std::uint64_t offset) {
  std::uint64_t at = offset;
  for (std::size_t verified = 0; verified < kResyncChainLength; ++verified) {
    if (verified > 0 && fileSize_ - at < kLengthPrefixSize) return true;
    if (!frameVerifiesAt(at, at)) return false;
  }
  return true;
}

std::optional<std::uint64_t> LogResync::findChain(std::uint64_t from) {
  verifiedBytes_ = 0;
  if (from > fileSize_ || fileSize_ - from < kLengthPrefixSize + kSmallestRecordSize) return std::nullopt;
  // The last offset at which the smallest record still fits.
  const std::uint64_t last = std::min(fileSize_ - kLengthPrefixSize - kSmallestRecordSize, from + (kResyncReach - 1));
  for (std::uint64_t offset = from; offset <= last; ++offset) {
    // Most offsets fail here, on the two numbers at their start, before any
    // verification.
    const std::uint8_t* start = bytesAt(offset, kFrameStartSize);
    if (start == nullptr) return std::nullopt;
    const std::uint32_t length = readLittleEndian32(start);
    if (!plausibleRecordStart(length, readLittleEndian32(start + kLengthPrefixSize)) ||
        length > fileSize_ - offset - kLengthPrefixSize) {
      continue;
    }
    if (chainStartsAt(offset)) return offset;
    if (!problem_.empty() || verifiedBytes_ > kResyncVerifyBudget) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace vyn::profiling
