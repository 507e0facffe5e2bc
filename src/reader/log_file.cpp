#include "reader/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace vyn::profiling {
namespace {

// Growth step when the file's size is not known (a pipe, a device).
constexpr std::size_t kReadChunk = 1 << 20;

}  // namespace

LogFile::~LogFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool LogFile::open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return false;
  }
  file_ = ::fdopen(fd, "rb");
  if (file_ == nullptr) {
    ::close(fd);
    return false;
  }
  sizeKnown_ = S_ISREG(info.st_mode);
  size_ = static_cast<std::uint64_t>(info.st_size);
  return true;
}

LogFile::PrefixResult LogFile::readLengthPrefix(std::uint32_t& length) {
  unsigned char prefix[4];
  const std::size_t got = std::fread(prefix, 1, sizeof prefix, file_);
  position_ += got;
  if (got < sizeof prefix) return std::ferror(file_) ? PrefixResult::ReadError : PrefixResult::EndOfFile;
  length = static_cast<std::uint32_t>(prefix[0]) | static_cast<std::uint32_t>(prefix[1]) << 8 |
           static_cast<std::uint32_t>(prefix[2]) << 16 | static_cast<std::uint32_t>(prefix[3]) << 24;
  return PrefixResult::Read;
}

bool LogFile::readRecord(std::uint32_t length, std::vector<std::uint8_t>& record,
                         std::uint64_t& available) {
  record.clear();
  if (sizeKnown_) {
    const std::uint64_t remaining = size_ > position_ ? size_ - position_ : 0;
    if (length > remaining) {
      available = remaining;
      return false;
    }
    record.resize(length);
    const std::size_t got = std::fread(record.data(), 1, length, file_);
    position_ += got;
    available = got;
    return got == length;  // a file shrinking under us counts as truncated
  }
  // Unknown size: grow chunk by chunk, so a lying prefix costs at most one chunk
  // more than the bytes really there.
  while (record.size() < length) {
    const std::size_t have = record.size();
    const std::size_t want = std::min<std::size_t>(length - have, kReadChunk);
    record.resize(have + want);
    const std::size_t got = std::fread(record.data() + have, 1, want, file_);
    position_ += got;
    if (got < want) {
      record.resize(have + got);
      available = record.size();
      return false;
    }
  }
  available = record.size();
  return true;
}

}  // namespace vyn::profiling
