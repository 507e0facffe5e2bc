#include "log/logger.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>

namespace vyn::log {
namespace {

constexpr std::uint64_t kHandleMask = 0x5a17c3e94b2d6f81ULL;

std::uint64_t nowNs() {
  using namespace std::chrono;
  const auto us = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<std::uint64_t>(us) * 1000;
}

bool isValidLevel(std::int32_t level) { return level >= VYN_LOG_LEVEL_ERROR && level <= VYN_LOG_LEVEL_DEBUG; }

// Handles are derived from the logger's address so that they are unique per live
// logger, without exposing the address itself.
LogHandle handleOf(const Logger* logger) {
  return __builtin_bswap64(reinterpret_cast<std::uintptr_t>(logger) ^ kHandleMask);
}

struct LoggerRegistry {
  std::mutex mutex;
  std::unordered_map<LogHandle, std::shared_ptr<Logger>> loggers;
};

LoggerRegistry registry;
std::atomic<LogHandle> currentLogHandle{0};
std::atomic<std::uint64_t> defaultSinkStartNs{0};

void unregister(LogHandle handle) {
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.loggers.erase(handle);
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

Logger::Logger(LogCallback callback, std::int32_t level) : sink_(callback), level_(level), startTimeNs_(nowNs()) {
  if (sink_ == nullptr) {
    defaultSinkStartNs.store(startTimeNs_);
    sink_ = stdoutLogSink;
  }
}

void Logger::log(std::int32_t level, const char* /*file*/, int /*line*/, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vlog(level, format, args);
  va_end(args);
}

void Logger::vlog(std::int32_t level, const char* format, va_list args) {
  if (sink_ == nullptr || this->level() < level) return;
  const std::string formatCopy(format);
  sink_(formatCopy.c_str(), static_cast<std::uint32_t>(level), nowNs() - startTimeNs_, args);
}

std::shared_ptr<Logger> getLogger(LogHandle handle) {
  if (handle == 0) return {};
  std::lock_guard<std::mutex> lock(registry.mutex);
  const auto found = registry.loggers.find(handle);
  return found == registry.loggers.end() ? nullptr : found->second;
}

bool createLogger(LogCallback sink, std::int32_t level) {
  if (const LogHandle previous = currentLogHandle.load()) unregister(previous);
  currentLogHandle.store(0);

  auto* logger = new (std::nothrow) Logger(sink, level);
  if (logger == nullptr) return false;
  std::shared_ptr<Logger> shared(logger);
  if (!isValidLevel(level)) return false;  // construction error 11003: not registered

  const LogHandle handle = handleOf(logger);
  {
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.loggers.emplace(handle, std::move(shared));
  }
  currentLogHandle.store(handle);
  return true;
}

void destroyLogger() { unregister(currentLogHandle.load()); }

bool setLogLevel(std::int32_t level) {
  if (!isValidLevel(level)) return false;
  const auto logger = getLogger(currentLogHandle.load());
  if (!logger) return false;
  logger->setLevel(level);
  return true;
}

std::int32_t getLogLevel() {
  const auto logger = getLogger(currentLogHandle.load());
  return logger ? logger->level() : LOG_LEVEL_UNKNOWN;
}

LogCallback getLogCallback() {
  const auto logger = getLogger(currentLogHandle.load());
  return logger ? logger->sink() : nullptr;
}

bool isLoggerCreated() { return getLogger(currentLogHandle.load()) != nullptr; }

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
  const auto logger = getLogger(currentLogHandle.load());
  if (!logger || logger->level() < level) return;
  va_list args;
  va_start(args, format);
  logger->vlog(level, format, args);
  va_end(args);
}

}  // namespace vyn::log
