#include "report/stream_buffers.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

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

int BlockStreamBuf::sync() { return handOn() && target_.pubsync() == 0 ? 0 : -1; }

bool BlockStreamBuf::handOn() {
  const std::streamsize size = pptr() - pbase();
  const std::streamsize taken = size > 0 ? target_.sputn(pbase(), size) : 0;
  setp(block_.data(), block_.data() + block_.size());
  return taken == size;
}

MemoryStreamBuf::~MemoryStreamBuf() { std::free(block_); }

// Without a put area every write comes here or to overflow.
std::streamsize MemoryStreamBuf::xsputn(const char* s, std::streamsize count) {
  if (count <= 0) return 0;
  const auto length = static_cast<std::size_t>(count);
  if (length > capacity_ - size_) {
    const std::size_t capacity = std::max({size_ + length, 2 * capacity_, std::size_t{1} << 16});
    void* grown = std::realloc(block_, capacity);
    if (grown == nullptr) throw std::bad_alloc();
    block_ = static_cast<char*>(grown);
    capacity_ = capacity;
  }
  std::memcpy(block_ + size_, s, length);
  size_ += length;
  return count;
}

MemoryStreamBuf::int_type MemoryStreamBuf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char character = traits_type::to_char_type(c);
  xsputn(&character, 1);
  return c;
}

}  // namespace vyn::profiling
