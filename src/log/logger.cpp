#include "log/logger.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace vyn::log {
namespace {

std::uint64_t nowNs() {
  using namespace std::chrono;
  const auto us = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<std::uint64_t>(us) * 1000;
}

bool isValidLevel(std::int32_t level) { return level >= VYN_LOG_LEVEL_ERROR && level <= VYN_LOG_LEVEL_DEBUG; }

struct Logger {
  LogCallback sink;
  std::int32_t level;
  std::uint64_t startTimeNs;
};

// The current logger. A message holds its own reference, so that a logger
// replaced meanwhile lives until the message has reached its sink; without a
// logger, a statement costs one relaxed load.
std::mutex currentMutex;
std::shared_ptr<const Logger> current;
std::atomic<bool> hasCurrent{false};
std::atomic<std::uint64_t> defaultSinkStartNs{0};

void replaceCurrent(std::shared_ptr<const Logger> logger) {
  std::lock_guard<std::mutex> lock(currentMutex);
  hasCurrent.store(logger != nullptr);
  current = std::move(logger);
}

const char* levelTag(std::uint32_t level) {
  switch (level) {
    case VYN_LOG_LEVEL_ERROR:
      return " ERROR ";
    case VYN_LOG_LEVEL_WARN:
      return "WARNING";
    case VYN_LOG_LEVEL_INFO:
      return "  INFO ";
    case VYN_LOG_LEVEL_VERBOSE:
      return "VERBOSE";
    case VYN_LOG_LEVEL_DEBUG:
      return " DEBUG ";
    case static_cast<std::uint32_t>(LOG_LEVEL_UNKNOWN):
      return "UNKNOWN";
    default:
      return "";
  }
}

}  // namespace

bool createLogger(LogCallback sink, std::int32_t level) {
  replaceCurrent(nullptr);
  auto logger = std::make_shared<Logger>(Logger{sink, level, nowNs()});
  if (logger->sink == nullptr) {
    defaultSinkStartNs.store(logger->startTimeNs);
    logger->sink = stdoutLogSink;
  }
  if (!isValidLevel(level)) return false;
  replaceCurrent(std::move(logger));
  return true;
}

void destroyLogger() { replaceCurrent(nullptr); }

void formatLogLine(char* buffer, std::size_t size, const char* format, std::uint32_t level, std::uint64_t elapsedNs,
                   va_list args) {
  if (buffer == nullptr || size == 0) return;
  if (elapsedNs == 0) elapsedNs = nowNs() - defaultSinkStartNs.load();
  const int prefix =
      std::snprintf(buffer, size, "%8.1fms [%-7s] ", static_cast<double>(elapsedNs) / 1000000.0, levelTag(level));
  if (prefix < 0 || static_cast<std::size_t>(prefix) >= size) return;
  std::vsnprintf(buffer + prefix, size - static_cast<std::size_t>(prefix), format, args);
}

void stdoutLogSink(const char* format, std::uint32_t level, std::uint64_t elapsedNs, va_list args) {
  char line[1024] = {};
  formatLogLine(line, sizeof line, format, level, elapsedNs, args);
  std::puts(line);
}

void logMessage(std::int32_t level, const char* format, ...) {
  if (!hasCurrent.load(std::memory_order_relaxed)) return;
  std::shared_ptr<const Logger> logger;
  {
    std::lock_guard<std::mutex> lock(currentMutex);
    logger = current;
  }
  if (!logger || logger->level < level) return;
  const std::string formatCopy(format);
  va_list args;
  va_start(args, format);
  logger->sink(formatCopy.c_str(), static_cast<std::uint32_t>(level), nowNs() - logger->startTimeNs, args);
  va_end(args);
}

}  // namespace vyn::log
