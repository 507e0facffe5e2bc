// A file the tools write, or standard output for the path "-".
//
// A regular file is written whole or not at all: the content goes to a
// temporary file beside it, which replaces it when close() succeeds; after a
// failure, or without close(), an existing file stays as it was. Devices and
// pipes are written directly. Writes go through a large buffer; every failure
// (cannot create, disk full, error on close) is kept and reported once, naming
// the file.
#ifndef VYN_BASE_OUTPUT_FILE_H_
#define VYN_BASE_OUTPUT_FILE_H_

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/gzip_deflate.h"
#include "base/replacement_file.h"

namespace vyn::base {

class OutputFile {
 public:
  OutputFile() = default;
  // Without a successful close(), nothing replaces an existing file.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // False when the file cannot be created, or when path names one of inputs
  // (which the tool must not write over); problem() says why.
  bool open(const std::string& path, const std::vector<std::string>& inputs = {});
  // From here on, what is written reaches the file gzip-compressed; close() ends
  // the compressed stream. Called after open() and before the first write.
  void compressWithGzip();
  void write(const void* data, std::size_t size);
  void write(std::string_view text) { write(text.data(), text.size()); }
  // Flushes and closes, and puts the file in place; false when any write, the
  // close or the replacement failed, which leaves an existing file as it was.
  bool close();
  // Drops what was written, for a command that failed after opening its output:
  // an existing file stays as it was, a new one is not created.
  void discard();
  // The path, or "standard output" for "-", for messages.
  std::string name() const { return isStdout_ ? "standard output" : path_; }

  bool isTerminal() const;
  // Bytes handed to write(), before any compression.
  std::uint64_t bytesWritten() const { return written_; }
  const std::string& problem() const { return problem_; }

 private:
  void failed(const char* what, int error);
  // Writes to the stream as it is, the compressed bytes when compressing.
  bool writeRaw(const void* data, std::size_t size);
  // Flushes and closes the stream; false when that failed.
  bool closeStream();

  std::FILE* file_ = nullptr;
  bool isStdout_ = false;
  bool replacing_ = false;  // writing a temporary file that replaces the target
  ReplacementFile replacement_;
  std::unique_ptr<GzipDeflate> gzip_;
  std::string path_;
  std::string problem_;
  std::uint64_t written_ = 0;
};

}  // namespace vyn::base

#endif  // VYN_BASE_OUTPUT_FILE_H_
