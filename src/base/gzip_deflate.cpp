#include "base/gzip_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <utility>

namespace vyn::base {
namespace {

// Exports are large text that compresses well at any level: the fastest level
// keeps writing a gzip file close to the pace of writing the text itself.
constexpr int kLevel = Z_BEST_SPEED;
// Window bits of a gzip stream (a gzip header and trailer around deflate data).
constexpr int kGzipWindowBits = 15 + 16;
constexpr int kMemoryLevel = 8;
constexpr std::size_t kOutputPiece = 256 * 1024;

}  // namespace

struct GzipDeflate::Stream {
  z_stream z{};
};

GzipDeflate::GzipDeflate(Sink sink) : stream_(std::make_unique<Stream>()), sink_(std::move(sink)), out_(kOutputPiece) {
  healthy_ = deflateInit2(&stream_->z, kLevel, Z_DEFLATED, kGzipWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY) == Z_OK;
}

GzipDeflate::~GzipDeflate() { deflateEnd(&stream_->z); }

bool GzipDeflate::write(const void* data, std::size_t size) {
  z_stream& z = stream_->z;
  auto* next = static_cast<const unsigned char*>(data);
  // avail_in is 32 bits wide: a larger piece goes in parts.
  while (healthy_ && size > 0) {
    const auto part = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
    z.next_in = const_cast<Bytef*>(next);
    z.avail_in = part;
    healthy_ = run(Z_NO_FLUSH);
    next += part;
    size -= part;
  }
  return healthy_;
}

bool GzipDeflate::finish() {
  if (healthy_) healthy_ = run(Z_FINISH);
  return healthy_;
}

bool GzipDeflate::run(int flush) {
  z_stream& z = stream_->z;
  for (;;) {
    z.next_out = out_.data();
    z.avail_out = static_cast<uInt>(out_.size());
    const int status = deflate(&z, flush);
    if (status == Z_STREAM_ERROR) return false;
    const std::size_t ready = out_.size() - z.avail_out;
    if (ready > 0 && !sink_(out_.data(), ready)) return false;
    // Done when deflate left room in the output: all input is taken (and, when
    // finishing, the stream is complete).
    if (flush == Z_FINISH ? status == Z_STREAM_END : z.avail_out != 0) return true;
  }
}

}  // namespace vyn::base
