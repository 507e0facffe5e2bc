#include "common/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

namespace vyn::tools {
namespace {

constexpr std::size_t kWriteBuffer = 1 << 20;

}  // namespace

std::string systemErrorText(int error) {
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

OutputFile::~OutputFile() { close(); }

bool OutputFile::open(const std::string& path) {
  path_ = path;
  if (path == "-") {
    file_ = stdout;
    isStdout_ = true;
    return true;
  }
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    problem_ = "cannot be written: " + systemErrorText(errno);
    return false;
  }
  struct stat status {};
  isRegular_ = ::fstat(::fileno(file_), &status) == 0 && S_ISREG(status.st_mode);
  std::setvbuf(file_, nullptr, _IOFBF, kWriteBuffer);
  return true;
}

void OutputFile::failed(const char* what, int error) {
  if (problem_.empty()) problem_ = std::string(what) + ": " + systemErrorText(error);
}

void OutputFile::write(const void* data, std::size_t size) {
  if (file_ == nullptr || size == 0) return;
  if (std::fwrite(data, 1, size, file_) != size) failed("write failed", errno);
  written_ += size;
}

bool OutputFile::close() {
  if (file_ == nullptr) return problem_.empty();
  if (std::fflush(file_) != 0) failed("write failed", errno);
  if (!isStdout_ && std::fclose(file_) != 0) failed("write failed", errno);
  file_ = nullptr;
  return problem_.empty();
}

void OutputFile::discard() {
  close();
  if (isRegular_) std::remove(path_.c_str());
  isRegular_ = false;
}

bool OutputFile::isTerminal() const {
  return file_ != nullptr && ::isatty(::fileno(file_)) == 1;
}

}  // namespace vyn::tools
