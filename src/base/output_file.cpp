#include "base/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/input_protection.h"
#include "base/system_error_text.h"

namespace vyn::base {
namespace {

constexpr std::size_t kWriteBuffer = 1 << 20;

}  // namespace

OutputFile::~OutputFile() { discard(); }

bool OutputFile::open(const std::string& path, const std::vector<std::string>& inputs) {
  path_ = path;
  isStdout_ = path == "-";
  problem_ = overwritesInput(path, inputs);
  if (!problem_.empty()) return false;
  if (isStdout_) {
    file_ = stdout;
    return true;
  }
  struct stat status {};
  const bool exists = ::stat(path.c_str(), &status) == 0;
  if (exists && S_ISDIR(status.st_mode)) {
    problem_ = "cannot be written: " + systemErrorText(EISDIR);
    return false;
  }
  if (exists && !S_ISREG(status.st_mode)) {
    // A device or a pipe has no content to keep and cannot be replaced.
    file_ = std::fopen(path.c_str(), "wb");
  } else {
    const int fd = replacement_.create(path);
    if (fd < 0) {
      problem_ = replacement_.problem();
      return false;
    }
    replacing_ = true;
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) ::close(fd);
  }
  if (file_ == nullptr) {
    problem_ = "cannot be written: " + systemErrorText(errno);
    replacement_.abandon();
    return false;
  }
  std::setvbuf(file_, nullptr, _IOFBF, kWriteBuffer);
  return true;
}

void OutputFile::failed(const char* what, int error) {
  if (problem_.empty()) problem_ = std::string(what) + ": " + systemErrorText(error);
}

void OutputFile::compressWithGzip() {
  gzip_ = std::make_unique<GzipDeflate>(
      [this](const unsigned char* data, std::size_t size) { return writeRaw(data, size); });
}

bool OutputFile::writeRaw(const void* data, std::size_t size) {
  if (std::fwrite(data, 1, size, file_) == size) return true;
  failed("write failed", errno);
  return false;
}

void OutputFile::write(const void* data, std::size_t size) {
  if (file_ == nullptr || size == 0) return;
  written_ += size;
  if (gzip_ == nullptr) {
    writeRaw(data, size);
  } else if (!gzip_->write(data, size) && problem_.empty()) {
    problem_ = "compression failed";
  }
}

bool OutputFile::closeStream() {
  if (file_ == nullptr) return problem_.empty();
  if (gzip_ != nullptr && problem_.empty() && !gzip_->finish() && problem_.empty()) problem_ = "compression failed";
  gzip_.reset();
  if (std::fflush(file_) != 0) failed("write failed", errno);
  if (!isStdout_ && std::fclose(file_) != 0) failed("write failed", errno);
  file_ = nullptr;
  return problem_.empty();
}

bool OutputFile::close() {
  const bool written = closeStream();
  if (!replacing_) return written;
  replacing_ = false;
  if (!written) {
    replacement_.abandon();
    return false;
  }
  if (!replacement_.commit()) {
    problem_ = replacement_.problem();
    return false;
  }
  return true;
}

void OutputFile::discard() {
  closeStream();
  replacing_ = false;
  replacement_.abandon();
}

bool OutputFile::isTerminal() const { return file_ != nullptr && ::isatty(::fileno(file_)) == 1; }

}  // namespace vyn::base
