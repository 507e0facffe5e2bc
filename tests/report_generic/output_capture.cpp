#include "output_capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "log/logger.h"

namespace vyn::testing {
namespace {

std::vector<std::string>& collectedMessages() {
  static std::vector<std::string> messages;
  return messages;
}

void collectMessage(const char* format, std::uint32_t, std::uint64_t, va_list args) {
  char buffer[1024];
  std::vsnprintf(buffer, sizeof buffer, format, args);
  collectedMessages().emplace_back(buffer);
}

}  // namespace

StdoutCapture::StdoutCapture() {
  std::fflush(stdout);
  char name[] = "/tmp/vyn-stdout-XXXXXX";
  captureDescriptor_ = ::mkstemp(name);
  if (captureDescriptor_ < 0) throw std::runtime_error("mkstemp failed");
  ::unlink(name);
  savedDescriptor_ = ::dup(STDOUT_FILENO);
  ::dup2(captureDescriptor_, STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture() {
  if (savedDescriptor_ >= 0) finish();
}

std::string StdoutCapture::finish() {
  std::fflush(stdout);
  ::dup2(savedDescriptor_, STDOUT_FILENO);
  ::close(savedDescriptor_);
  savedDescriptor_ = -1;

  std::string content;
  ::lseek(captureDescriptor_, 0, SEEK_SET);
  char buffer[4096];
  ssize_t count;
  while ((count = ::read(captureDescriptor_, buffer, sizeof buffer)) > 0)
    content.append(buffer, static_cast<std::size_t>(count));
  ::close(captureDescriptor_);
  captureDescriptor_ = -1;
  return content;
}

ErrorLogCapture::ErrorLogCapture() {
  collectedMessages().clear();
  vyn::log::createLogger(&collectMessage, vyn::log::VYN_LOG_LEVEL_ERROR);
}

ErrorLogCapture::~ErrorLogCapture() { vyn::log::destroyLogger(); }

const std::vector<std::string>& ErrorLogCapture::messages() const { return collectedMessages(); }

}  // namespace vyn::testing
