// Collects the reader's diagnostic messages in memory for tests.
//
// While a CapturedLog is alive, a logger at the most verbose level is current and
// its sink expands every message with its arguments into a list. The logger is
// process-wide, so only one CapturedLog may live at a time.
#ifndef VYN_TESTS_LOG_CAPTURED_LOG_H_
#define VYN_TESTS_LOG_CAPTURED_LOG_H_

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "log/logger.h"

namespace vyn::testing {

struct LoggedMessage {
  std::uint32_t level;
  std::string text;  // the format expanded with its arguments, without the line prefix
};

class CapturedLog {
 public:
  explicit CapturedLog(std::int32_t level = vyn::log::VYN_LOG_LEVEL_DEBUG) {
    store().clear();
    vyn::log::createLogger(&capture, level);
  }
  ~CapturedLog() {
    vyn::log::destroyLogger();
    store().clear();
  }
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;

  const std::vector<LoggedMessage>& messages() const { return store(); }
  void clear() { store().clear(); }

  // The texts logged at the given level, in order.
  std::vector<std::string> at(std::uint32_t level) const {
    std::vector<std::string> texts;
    for (const LoggedMessage& message : store())
      if (message.level == level) texts.push_back(message.text);
    return texts;
  }
  std::vector<std::string> errors() const { return at(vyn::log::VYN_LOG_LEVEL_ERROR); }
  std::vector<std::string> debugs() const { return at(vyn::log::VYN_LOG_LEVEL_DEBUG); }

  // How often exactly this text was logged, at any level.
  std::size_t count(const std::string& text) const {
    std::size_t n = 0;
    for (const LoggedMessage& message : store()) n += message.text == text ? 1 : 0;
    return n;
  }

 private:
  static std::vector<LoggedMessage>& store() {
    static std::vector<LoggedMessage> messages;
    return messages;
  }

  static void capture(const char* format, std::uint32_t level, std::uint64_t /*elapsedNs*/,
                      va_list args) {
    va_list measuring;
    va_copy(measuring, args);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    store().push_back({level, std::move(text)});
  }
};

}  // namespace vyn::testing

#endif  // VYN_TESTS_LOG_CAPTURED_LOG_H_
