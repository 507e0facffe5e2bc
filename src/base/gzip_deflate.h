// Compression of an output as it is written, in the gzip format that every
// decompressor and data tool reads: pieces go in, compressed bytes come out to
// a sink as they are ready.
#ifndef VYN_BASE_GZIP_DEFLATE_H_
#define VYN_BASE_GZIP_DEFLATE_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace vyn::base {

class GzipDeflate {
 public:
  // Where compressed bytes go; false stops the compression (the write failed).
  using Sink = std::function<bool(const unsigned char* data, std::size_t size)>;

  explicit GzipDeflate(Sink sink);
  ~GzipDeflate();
  GzipDeflate(const GzipDeflate&) = delete;
  GzipDeflate& operator=(const GzipDeflate&) = delete;

  // Compresses size bytes at data; false once compressing or the sink failed.
  bool write(const void* data, std::size_t size);
  // Ends the stream with its checksum and length; nothing may be written after.
  bool finish();

 private:
  bool run(int flush);

  struct Stream;
  std::unique_ptr<Stream> stream_;
  Sink sink_;
  std::vector<unsigned char> out_;
  bool healthy_ = true;
};

}  // namespace vyn::base

#endif  // VYN_BASE_GZIP_DEFLATE_H_
