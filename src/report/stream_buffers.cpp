#include "report/stream_buffers.h"

#include <algorithm>

namespace vyn::profiling {

BlockStreamBuf::BlockStreamBuf(std::streambuf& target, std::size_t blockSize)
    : target_(target), block_(std::max<std::size_t>(blockSize, 1)) {
  setp(block_.data(), block_.data() + block_.size());
}

BlockStreamBuf::~BlockStreamBuf() { handOn(); }

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
    return target_.sputn(s, count);
  }
  return std::streambuf::xsputn(s, count);
}

int BlockStreamBuf::sync() { return handOn() && target_.pubsync() == 0 ? 0 : -1; }

bool BlockStreamBuf::handOn() {
  const std::streamsize size = pptr() - pbase();
  const std::streamsize taken = size > 0 ? target_.sputn(pbase(), size) : 0;
  setp(block_.data(), block_.data() + block_.size());
  return taken == size;
}

StdioStreamBuf::StdioStreamBuf(std::FILE* target, std::size_t blockSize)
    : target_(target), block_(std::max<std::size_t>(blockSize, 1)) {
  setp(block_.data(), block_.data() + block_.size());
}

StdioStreamBuf::~StdioStreamBuf() { sync(); }

StdioStreamBuf::int_type StdioStreamBuf::overflow(int_type c) {
  if (!handOn()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize StdioStreamBuf::xsputn(const char* s, std::streamsize count) {
  if (static_cast<std::size_t>(count) >= block_.size() / 8) {
    if (!handOn()) return 0;
    return static_cast<std::streamsize>(std::fwrite(s, 1, static_cast<std::size_t>(count), target_));
  }
  return std::streambuf::xsputn(s, count);
}

int StdioStreamBuf::sync() { return handOn() && std::fflush(target_) == 0 ? 0 : -1; }

bool StdioStreamBuf::handOn() {
  const auto size = static_cast<std::size_t>(pptr() - pbase());
  const std::size_t taken = size > 0 ? std::fwrite(pbase(), 1, size, target_) : 0;
  setp(block_.data(), block_.data() + block_.size());
  return taken == size;
}

}  // namespace vyn::profiling
