// Stream buffers for reports of many megabytes: one that passes output on to a
// file in large blocks, one that keeps a whole text in memory.
#ifndef VYN_REPORT_STREAM_BUFFERS_H_
#define VYN_REPORT_STREAM_BUFFERS_H_

#include <cstddef>
#include <streambuf>
#include <string_view>
#include <vector>

namespace vyn::profiling {

// Gathers what is written through it and hands it to target one full block at a
// time. A file stream makes a system call for every write of a kilobyte or more
// whatever its own buffer size, and the CSV rows of one phase occurrence arrive
// as one write of a few kilobytes; in front of the file, this turns tens of
// thousands of such calls into one per block. The rest is handed on by a flush
// of the stream and when the buffer is destroyed. target must outlive it.
class BlockStreamBuf final : public std::streambuf {
 public:
  BlockStreamBuf(std::streambuf& target, std::size_t blockSize);
  BlockStreamBuf(const BlockStreamBuf&) = delete;
  BlockStreamBuf& operator=(const BlockStreamBuf&) = delete;
  ~BlockStreamBuf() override;

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // Hands the gathered bytes to the target; false when it took fewer.
  bool handOn();

  std::streambuf& target_;
  std::vector<char> block_;
};

// Keeps everything written through it in one block of memory. The block grows
// with realloc, which moves the pages of a large block instead of copying them,
// and text() shows it without a copy: a summary of many megabytes is written
// once into memory and once to its destination.
class MemoryStreamBuf final : public std::streambuf {
 public:
  MemoryStreamBuf() = default;
  MemoryStreamBuf(const MemoryStreamBuf&) = delete;
  MemoryStreamBuf& operator=(const MemoryStreamBuf&) = delete;
  ~MemoryStreamBuf() override;

  // Everything written so far; valid until the next write.
  std::string_view text() const { return {block_, size_}; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize count) override;

 private:
  char* block_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace vyn::profiling

#endif  // VYN_REPORT_STREAM_BUFFERS_H_
