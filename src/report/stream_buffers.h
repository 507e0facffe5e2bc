// Stream buffers for reports of many megabytes: output passes on to its file in
// blocks of bounded size, so that no report is held whole in memory and the
// file sees one write per block.
#ifndef VYN_REPORT_STREAM_BUFFERS_H_
#define VYN_REPORT_STREAM_BUFFERS_H_

#include <cstddef>
#include <cstdio>
#include <memory>
#include <streambuf>

namespace vyn::profiling {

// Gathers what is written through it and hands it to its target, a stream's
// buffer or a C stream (standard output), one full block at a time. A file
// stream makes a system call for every write of a kilobyte or more whatever its
// own buffer size, and the CSV rows of one phase occurrence may arrive as one
// write of a few kilobytes; in front of the file, this turns tens of thousands
// of such calls into one per block. A write of an eighth of a block or more goes
// straight through. The rest is handed on by a flush of the stream and when the
// buffer is destroyed (a C stream is then flushed too). target must outlive it.
//
// The block's memory starts at a few kilobytes and doubles as text gathers, up
// to the block size: the short report of a small log costs little memory, and
// what reaches the target, and when, is what a whole block from the start gives.
class BlockStreamBuf final : public std::streambuf {
 public:
  static constexpr std::size_t kFirstBytes = 4096;

  BlockStreamBuf(std::streambuf& target, std::size_t blockSize);
  BlockStreamBuf(std::FILE* target, std::size_t blockSize);
  BlockStreamBuf(const BlockStreamBuf&) = delete;
  BlockStreamBuf& operator=(const BlockStreamBuf&) = delete;
  ~BlockStreamBuf() override;

  // The memory the block holds now.
  std::size_t capacity() const { return capacity_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize count) override;
  int sync() override;

 private:
  // Room for at least wanted bytes in all, what is gathered kept; at most a block.
  void grow(std::size_t wanted);
  // Writes to the target; the bytes it took.
  std::size_t put(const char* s, std::size_t count);
  // Hands the gathered bytes to the target; false when it took fewer.
  bool handOn();

  std::streambuf* stream_ = nullptr;
  std::FILE* file_ = nullptr;
  const std::size_t blockSize_;
  std::size_t capacity_ = 0;
  std::unique_ptr<char[]> block_;  // not cleared: every byte is written before it is handed on
};

}  // namespace vyn::profiling

#endif  // VYN_REPORT_STREAM_BUFFERS_H_
