// Collects the diagnostic messages in memory while alive: a logger at the most
// verbose level is current and its sink keeps every expanded text with its level.
// The logger is process-wide, so only one CapturedLog may live at a time.
#ifndef VYN_TESTS_LOG_CAPTURED_LOG_H_
#define VYN_TESTS_LOG_CAPTURED_LOG_H_

#include <cstdarg>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "log/logger.h"

namespace vyn::testing {

class CapturedLog {
 public:
  CapturedLog() {
    clear();
    log::createLogger(&capture, log::VYN_LOG_LEVEL_DEBUG);
  }
  ~CapturedLog() { log::destroyLogger(); }

  void clear() { store().clear(); }
  std::vector<std::string> errors() const { return at(log::VYN_LOG_LEVEL_ERROR); }
  std::vector<std::string> debugs() const { return at(log::VYN_LOG_LEVEL_DEBUG); }

 private:
  static std::vector<std::pair<std::uint32_t, std::string>>& store() {
    static std::vector<std::pair<std::uint32_t, std::string>> messages;
    return messages;
  }
  static void capture(const char* format, std::uint32_t level, std::uint64_t, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    store().emplace_back(level, text);
  }
  static std::vector<std::string> at(std::uint32_t level) {
    std::vector<std::string> texts;
    for (const auto& [messageLevel, text] : store())
      if (messageLevel == level) texts.push_back(text);
    return texts;
  }
};

}  // namespace vyn::testing

#endif  // VYN_TESTS_LOG_CAPTURED_LOG_H_
