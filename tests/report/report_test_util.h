// Small helpers for the report tests: events built in one expression, and the
// diagnostic messages of the reader collected while a test runs.
#ifndef VYN_TESTS_REPORT_REPORT_TEST_UTIL_H_
#define VYN_TESTS_REPORT_REPORT_TEST_UTIL_H_

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "log/logger.h"
#include "vyn/profiling/profile_event.h"

namespace vyn::testing {

using profiling::EventValue;
using profiling::ProfileEvent;

inline EventValue valueOf(std::uint32_t dataType, std::uint64_t payload) {
  return EventValue{dataType, payload};
}
inline EventValue unsignedValue(std::uint64_t number) {
  return valueOf(profiling::ValueDataType::UInt64, number);
}
inline EventValue signedValue(std::int64_t number) {
  return valueOf(profiling::ValueDataType::Int64, static_cast<std::uint64_t>(number));
}
inline EventValue doubleValue(double number) {
  std::uint64_t bits;
  std::memcpy(&bits, &number, sizeof bits);
  return valueOf(profiling::ValueDataType::Float64, bits);
}
// text must outlive the event.
inline EventValue textValue(const char* text) {
  return valueOf(profiling::ValueDataType::String, reinterpret_cast<std::uintptr_t>(text));
}

inline ProfileEvent event(std::string name, std::uint32_t identifier, EventValue value,
                          std::uint32_t unit, std::vector<ProfileEvent> subEvents = {}) {
  ProfileEvent result;
  result.name = std::move(name);
  result.identifier = identifier;
  result.value = value;
  result.unit = unit;
  result.subEvents = std::move(subEvents);
  return result;
}

// Collects every diagnostic message, expanded, while it lives.
class CapturedLog {
 public:
  CapturedLog() {
    messages().clear();
    log::createLogger(&CapturedLog::sink, log::VYN_LOG_LEVEL_DEBUG);
  }
  ~CapturedLog() { log::destroyLogger(); }
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;

  // The messages of the given level, in order.
  std::vector<std::string> at(std::uint32_t level) const {
    std::vector<std::string> result;
    for (const auto& [messageLevel, text] : messages()) {
      if (messageLevel == level) result.push_back(text);
    }
    return result;
  }
  std::vector<std::string> errors() const { return at(log::VYN_LOG_LEVEL_ERROR); }

 private:
  static std::vector<std::pair<std::uint32_t, std::string>>& messages() {
    static std::vector<std::pair<std::uint32_t, std::string>> all;
    return all;
  }
  static void sink(const char* format, std::uint32_t level, std::uint64_t, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    messages().emplace_back(level, text);
  }
};

// Everything written to standard output (file descriptor 1) while body runs.
template <typename Body>
std::string captureStandardOutput(const std::string& scratchFile, Body body) {
  std::fflush(stdout);
  const int saved = ::dup(1);
  const int file = ::open(scratchFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(file, 1);
  ::close(file);
  body();
  std::fflush(stdout);
  ::dup2(saved, 1);
  ::close(saved);
  std::string text;
  if (std::FILE* in = std::fopen(scratchFile.c_str(), "rb")) {
    char chunk[4096];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, in)) > 0) text.append(chunk, count);
    std::fclose(in);
  }
  ::unlink(scratchFile.c_str());
  return text;
}

}  // namespace vyn::testing

#endif  // VYN_TESTS_REPORT_REPORT_TEST_UTIL_H_
