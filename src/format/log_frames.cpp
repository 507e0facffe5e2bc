#include "format/log_frames.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <limits>

#include "format/record_format.h"

namespace vyn::profiling {
namespace {

constexpr std::size_t kReadChunk = 1 << 20;

std::string systemErrorText(int error) { return std::strerror(error); }

}  // namespace

LogFrameReader::~LogFrameReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool LogFrameReader::open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    problem_ = errno == ENOENT ? "no such file" : "cannot be opened: " + systemErrorText(errno);
    return false;
  }
  struct stat status {};
  if (::fstat(::fileno(file_), &status) == 0) {
    if (S_ISDIR(status.st_mode)) {
      problem_ = "is a directory, not a log file";
      return false;
    }
    regular_ = S_ISREG(status.st_mode);
    if (regular_) fileSize_ = static_cast<std::uint64_t>(status.st_size);
  }
  std::setvbuf(file_, nullptr, _IOFBF, kReadChunk);
  return true;
}

bool LogFrameReader::openAt(const std::string& path, std::uint64_t offset, std::uint64_t firstIndex) {
  if (!open(path)) return false;
  nextIndex_ = firstIndex;
  if (offset == 0) return true;
  if (regular_ && offset >= fileSize_) {
    position_ = offset;
    finished_ = true;
    return true;
  }
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) ||
      ::fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
    problem_ = "cannot seek to byte offset " + std::to_string(offset) + ": " + systemErrorText(errno);
    return false;
  }
  position_ = offset;
  return true;
}

std::size_t LogFrameReader::read(std::uint8_t* into, std::size_t size) {
  const std::size_t got = std::fread(into, 1, size, file_);
  position_ += got;
  return got;
}

void LogFrameReader::readBounded(ByteBuffer& bytes, std::uint64_t size) {
  while (size > 0) {
    const std::size_t chunk = size < kReadChunk ? static_cast<std::size_t>(size) : kReadChunk;
    const std::size_t before = bytes.size();
    bytes.resize(before + chunk);
    const std::size_t got = read(bytes.data() + before, chunk);
    bytes.resize(before + got);
    if (got < chunk) return;
    size -= got;
  }
}

bool LogFrameReader::seek(std::uint64_t offset) {
  if (file_ == nullptr || !regular_ || offset > fileSize_) {
    problem_ = "cannot go on from byte offset " + std::to_string(offset) + ": not a regular file";
    return false;
  }
  std::clearerr(file_);
  if (::fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
    problem_ = "cannot go on from byte offset " + std::to_string(offset) + ": " + systemErrorText(errno);
    return false;
  }
  position_ = offset;
  finished_ = false;
  return true;
}

FrameStatus LogFrameReader::next(Frame& frame) {
  if (finished_ || file_ == nullptr) return FrameStatus::End;
  frame.index = nextIndex_;
  frame.offset = position_;
  frame.length = 0;
  frame.bytes.clear();

  std::uint8_t prefix[kLengthPrefixSize];
  const std::size_t prefixBytes = read(prefix, sizeof prefix);
  if (prefixBytes < sizeof prefix) {
    finished_ = true;
    if (std::ferror(file_)) {
      problem_ = "read error: " + systemErrorText(errno);
      return FrameStatus::ReadError;
    }
    if (prefixBytes == 0) return FrameStatus::End;
    frame.bytes.assign(prefix, prefix + prefixBytes);
    return FrameStatus::StrayBytes;
  }
  frame.length = flatbuffers::ReadScalar<std::uint32_t>(prefix);

  if (regular_) {
    // The size is known: a prefix that announces more than remains is not
    // allocated for at all.
    const std::uint64_t remaining = fileSize_ - std::min(position_, fileSize_);
    frame.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(frame.length, remaining)));
    const std::size_t got = read(frame.bytes.data(), frame.bytes.size());
    frame.bytes.resize(got);
  } else {
    readBounded(frame.bytes, frame.length);
  }
  if (frame.bytes.size() < frame.length) {
    finished_ = true;
    if (std::ferror(file_)) {
      problem_ = "read error: " + systemErrorText(errno);
      return FrameStatus::ReadError;
    }
    return FrameStatus::Truncated;
  }
  ++nextIndex_;
  return FrameStatus::Frame;
}

}  // namespace vyn::profiling
