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

}  // namespace

LogResync::~LogResync() {
  if (fd_ >= 0) ::close(fd_);
}

bool LogResync::open(const std::string& path) {
  // Without waiting for a writer, should the path name a pipe.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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

bool LogResync::readExactly(std::uint8_t* into, std::size_t size, std::uint64_t offset) {
  if (!problem_.empty()) return false;
  for (std::size_t done = 0; done < size;) {
    const ssize_t got = ::pread(fd_, into + done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      problem_ = got < 0 ? "read error: " + std::string(std::strerror(errno)) : "the file shrank while it was read";
      return false;
    }
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool LogResync::readInto(base::ByteBuffer& buffer, std::uint64_t offset, std::size_t size) {
  buffer.resize(size);
  if (readExactly(buffer.data(), size, offset)) return true;
  buffer.clear();
  return false;
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

bool LogResync::peek(std::uint64_t offset, std::uint8_t* bytes, std::size_t size) {
  if (offset >= windowStart_ && offset + size <= windowStart_ + window_.size()) {
    std::memcpy(bytes, window_.data() + (offset - windowStart_), size);
    return true;
  }
  return readExactly(bytes, size, offset);
}

std::optional<std::uint32_t> LogResync::plausibleFrameAt(std::uint64_t offset) {
  if (offset > fileSize_ || fileSize_ - offset < kLengthPrefixSize + kSmallestRecordSize) return std::nullopt;
  std::uint8_t start[kFrameStartSize];
  if (!peek(offset, start, sizeof start)) return std::nullopt;
  const std::uint32_t length = flatbuffers::ReadScalar<std::uint32_t>(start);
  const std::uint32_t rootOffset = flatbuffers::ReadScalar<std::uint32_t>(start + kLengthPrefixSize);
  if (!plausibleRecordStart(length, rootOffset) || length > fileSize_ - offset - kLengthPrefixSize) {
    return std::nullopt;
  }
  // The root table's vtable must lie inside the record, with sizes that fit
  // it: the verifier's first look, taken here from a few bytes so that a
  // frame announcing megabytes is not read for nothing.
  const std::uint64_t record = offset + kLengthPrefixSize, table = record + rootOffset;
  std::uint8_t vtableOffset[4];
  if (!peek(table, vtableOffset, sizeof vtableOffset)) return std::nullopt;
  const auto vtable = static_cast<std::int64_t>(table) - flatbuffers::ReadScalar<flatbuffers::soffset_t>(vtableOffset);
  const auto end = static_cast<std::int64_t>(record + length);
  if (vtable < static_cast<std::int64_t>(record) || vtable + 4 > end) return std::nullopt;
  std::uint8_t sizes[4];
  if (!peek(static_cast<std::uint64_t>(vtable), sizes, sizeof sizes)) return std::nullopt;
  const std::uint32_t vtableSize = sizes[0] | static_cast<std::uint32_t>(sizes[1]) << 8;
  const std::uint32_t tableSize = sizes[2] | static_cast<std::uint32_t>(sizes[3]) << 8;
  if (vtableSize < 4 || vtableSize % 2 != 0 || vtable + vtableSize > end || tableSize < 4 ||
      static_cast<std::int64_t>(table + tableSize) > end) {
    return std::nullopt;
  }
  return length;
}

bool LogResync::chainStartsAt(std::uint64_t offset) {
  // The chain's framing first: each length prefix must lead to the next
  // plausible one. Only then are the records read and verified, so that a
  // prefix that looks plausible by chance in damaged bytes costs two small
  // reads, not a read of the megabytes it announces.
  std::uint64_t starts[kResyncChainLength];
  std::uint32_t lengths[kResyncChainLength];
  std::size_t count = 0;
  for (std::uint64_t at = offset; count < kResyncChainLength; ++count) {
    if (count > 0 && fileSize_ - at < kLengthPrefixSize) break;  // the log ends here
    const std::optional<std::uint32_t> length = plausibleFrameAt(at);
    if (!length) return false;
    starts[count] = at;
    lengths[count] = *length;
    at += kLengthPrefixSize + *length;
  }
  // The smallest first: a chance chain fails soonest and cheapest there.
  std::size_t order[kResyncChainLength];
  for (std::size_t i = 0; i < count; ++i) order[i] = i;
  std::sort(order, order + count, [&](std::size_t a, std::size_t b) { return lengths[a] < lengths[b]; });
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t i = order[k];
    const std::uint8_t* record = bytesAt(starts[i] + kLengthPrefixSize, lengths[i]);
    verifiedBytes_ += lengths[i];
    if (record == nullptr || !verifyRecord(record, lengths[i])) return false;
  }
  return true;
}

std::optional<std::uint64_t> LogResync::findChain(std::uint64_t from) {
  verifiedBytes_ = 0;
  stoppedShort_.clear();
  if (from > fileSize_ || fileSize_ - from < kLengthPrefixSize + kSmallestRecordSize) return std::nullopt;
  // The last offset at which the smallest record still fits.
  const std::uint64_t lastFitting = fileSize_ - kLengthPrefixSize - kSmallestRecordSize;
  const std::uint64_t last = std::min(lastFitting, from + (kResyncReach - 1));
  for (std::uint64_t offset = from; offset <= last; ++offset) {
    // Most offsets fail here, on the two numbers at their start, before any
    // verification.
    const std::uint8_t* start = bytesAt(offset, kFrameStartSize);
    if (start == nullptr) return std::nullopt;
    const std::uint32_t length = flatbuffers::ReadScalar<std::uint32_t>(start);
    if (!plausibleRecordStart(length, flatbuffers::ReadScalar<std::uint32_t>(start + kLengthPrefixSize)) ||
        length > fileSize_ - offset - kLengthPrefixSize) {
      continue;
    }
    if (chainStartsAt(offset)) return offset;
    if (!problem_.empty()) return std::nullopt;
    if (verifiedBytes_ > kResyncVerifyBudget) {
      stoppedShort_ = "the search for frames that verify again gave up at byte offset " + std::to_string(offset) +
                      ", after verifying " + std::to_string(verifiedBytes_) + " bytes of records that did not";
      return std::nullopt;
    }
  }
  if (last < lastFitting) {
    stoppedShort_ = "no frames verify again in the " + std::to_string(kResyncReach >> 20) +
                    " MiB after it, and the search looks no further";
  }
  return std::nullopt;
}

}  // namespace vyn::profiling
