#include "report/stream_buffers.h"

#include <algorithm>
#include <cstring>

namespace vyn::profiling {

BlockStreamBuf::BlockStreamBuf(std::streambuf& target, std::size_t blockSize)
    : stream_(&target), blockSize_(std::max<std::size_t>(blockSize, 1)) {
  grow(kFirstBytes);
}

BlockStreamBuf::BlockStreamBuf(std::FILE* target, std::size_t blockSize)
    : file_(target), blockSize_(std::max<std::size_t>(blockSize, 1)) {
  grow(kFirstBytes);
}

BlockStreamBuf::~BlockStreamBuf() {
  handOn();
  if (file_ != nullptr) std::fflush(file_);
}

BlockStreamBuf::int_type BlockStreamBuf::overflow(int_type c) {
  if (capacity_ < blockSize_) {
    grow(capacity_ + 1);
  } else if (!handOn()) {
    return traits_type::eof();
  }
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize BlockStreamBuf::xsputn(const char* s, std::streamsize count) {
  const auto size = static_cast<std::size_t>(count);
  if (size >= blockSize_ / 8) {
    if (!handOn()) return 0;
    return static_cast<std::streamsize>(put(s, size));
  }
  const auto gathered = static_cast<std::size_t>(pptr() - pbase());
  if (gathered + size > capacity_ && capacity_ < blockSize_) grow(gathered + size);
  return std::streambuf::xsputn(s, count);
}

int BlockStreamBuf::sync() {
  if (!handOn()) return -1;
  return (file_ != nullptr ? std::fflush(file_) : stream_->pubsync()) == 0 ? 0 : -1;
}

void BlockStreamBuf::grow(std::size_t wanted) {
  const std::size_t capacity = std::min(std::max({wanted, 2 * capacity_, std::size_t{1}}), blockSize_);
  if (capacity <= capacity_) return;
  const auto gathered = static_cast<std::size_t>(pptr() - pbase());
  std::unique_ptr<char[]> grown(new char[capacity]);
  if (gathered > 0) std::memcpy(grown.get(), block_.get(), gathered);
  block_ = std::move(grown);
  capacity_ = capacity;
  setp(block_.get(), block_.get() + capacity_);
  pbump(static_cast<int>(gathered));
}

std::size_t BlockStreamBuf::put(const char* s, std::size_t count) {
  if (file_ != nullptr) return std::fwrite(s, 1, count, file_);
  return static_cast<std::size_t>(stream_->sputn(s, static_cast<std::streamsize>(count)));
}

bool BlockStreamBuf::handOn() {
  const auto size = static_cast<std::size_t>(pptr() - pbase());
  const std::size_t taken = size > 0 ? put(pbase(), size) : 0;
  setp(block_.get(), block_.get() + capacity_);
  return taken == size;
}

}  // namespace vyn::profiling
