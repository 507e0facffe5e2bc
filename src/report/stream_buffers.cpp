#include "report/stream_buffers.h"

#include <algorithm>

namespace vyn::profiling {

BlockStreamBuf::BlockStreamBuf(std::streambuf& target, std::size_t blockSize)
    : stream_(&target), block_(std::max<std::size_t>(blockSize, 1)) {
  setp(block_.data(), block_.data() + block_.size());
}

BlockStreamBuf::BlockStreamBuf(std::FILE* target, std::size_t blockSize)
    : file_(target), block_(std::max<std::size_t>(blockSize, 1)) {
  setp(block_.data(), block_.data() + block_.size());
}

BlockStreamBuf::~BlockStreamBuf() {
  handOn();
  if (file_ != nullptr) std::fflush(file_);
}

BlockStreamBuf::int_type BlockStreamBuf::overflow(int_type c) {
  if (!handOn()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize BlockStreamBuf::xsputn(const char* s, std::streamsize count) {
  if (static_cast<std::size_t>(count) >= block_.size() / 8) {
    if (!handOn()) return 0;
    return static_cast<std::streamsize>(put(s, static_cast<std::size_t>(count)));
  }
  return std::streambuf::xsputn(s, count);
}

int BlockStreamBuf::sync() {
  if (!handOn()) return -1;
  return (file_ != nullptr ? std::fflush(file_) : stream_->pubsync()) == 0 ? 0 : -1;
}

std::size_t BlockStreamBuf::put(const char* s, std::size_t count) {
  if (file_ != nullptr) return std::fwrite(s, 1, count, file_);
  return static_cast<std::size_t>(stream_->sputn(s, static_cast<std::streamsize>(count)));
}

bool BlockStreamBuf::handOn() {
  const auto size = static_cast<std::size_t>(pptr() - pbase());
  const std::size_t taken = size > 0 ? put(pbase(), size) : 0;
  setp(block_.data(), block_.data() + block_.size());
  return taken == size;
}

}  // namespace vyn::profiling
