// A file the tools write, or standard output for the path "-".
//
// Writes go through a large buffer; every failure (cannot create, disk full,
// error on close) is kept and reported once, naming the file.
#ifndef VYN_TOOLS_COMMON_OUTPUT_FILE_H_
#define VYN_TOOLS_COMMON_OUTPUT_FILE_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace vyn::tools {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // False when the file cannot be created; problem() says why.
  bool open(const std::string& path);
  void write(const void* data, std::size_t size);
  void write(std::string_view text) { write(text.data(), text.size()); }
  // Flushes and closes; false when any write or the close failed.
  bool close();
  // Closes the file and, when it is a regular file, deletes it: for a command
  // that failed after creating it. Devices and pipes are left alone.
  void discard();
  // The path, or "standard output" for "-", for messages.
  std::string name() const { return isStdout_ ? "standard output" : path_; }

  bool isTerminal() const;
  std::uint64_t bytesWritten() const { return written_; }
  const std::string& problem() const { return problem_; }

 private:
  void failed(const char* what, int error);

  std::FILE* file_ = nullptr;
  bool isStdout_ = false;
  bool isRegular_ = false;
  std::string path_;
  std::string problem_;
  std::uint64_t written_ = 0;
};

// "no such file or directory" and the like, for messages.
std::string systemErrorText(int error);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_COMMON_OUTPUT_FILE_H_
