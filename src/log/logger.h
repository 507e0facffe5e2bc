// The process-wide diagnostic logger behind every diagnostic message of the reader.
//
// Nothing in the plug-in creates a logger, so by default every diagnostic
// statement finds none and prints nothing. A host or tool that wants the
// messages calls createLogger; each message then reaches the logger's sink.
#ifndef VYN_LOG_LOGGER_H_
#define VYN_LOG_LOGGER_H_

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace vyn::log {

inline constexpr std::int32_t VYN_LOG_LEVEL_ERROR = 1;
inline constexpr std::int32_t VYN_LOG_LEVEL_WARN = 2;
inline constexpr std::int32_t VYN_LOG_LEVEL_INFO = 3;
inline constexpr std::int32_t VYN_LOG_LEVEL_VERBOSE = 4;
inline constexpr std::int32_t VYN_LOG_LEVEL_DEBUG = 5;
inline constexpr std::int32_t LOG_LEVEL_UNKNOWN = 0x7fffffff;

// Receives the unexpanded format, the message level, the time since the logger
// was created in nanoseconds, and the format's arguments.
using LogCallback = void (*)(const char* format, std::uint32_t level, std::uint64_t elapsedNs, va_list args);

// Replaces the current logger by a new one; a null sink selects stdoutLogSink.
// False when level is outside 1..5; there is then no current logger.
bool createLogger(LogCallback sink, std::int32_t level);
void destroyLogger();

// Writes one log line into buffer (always NUL-terminated, truncated to fit):
// elapsed milliseconds right-aligned in eight characters with one decimal, the
// level tag in brackets, then the expanded message.
void formatLogLine(char* buffer, std::size_t size, const char* format, std::uint32_t level, std::uint64_t elapsedNs,
                   va_list args);

// The default sink: one line on standard output per message.
void stdoutLogSink(const char* format, std::uint32_t level, std::uint64_t elapsedNs, va_list args);

// One diagnostic statement: passes the message to the current logger, if any,
// when its level admits it.
void logMessage(std::int32_t level, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace vyn::log

#define VYN_LOG_ERROR(...) ::vyn::log::logMessage(::vyn::log::VYN_LOG_LEVEL_ERROR, __VA_ARGS__)
#define VYN_LOG_WARN(...) ::vyn::log::logMessage(::vyn::log::VYN_LOG_LEVEL_WARN, __VA_ARGS__)
#define VYN_LOG_INFO(...) ::vyn::log::logMessage(::vyn::log::VYN_LOG_LEVEL_INFO, __VA_ARGS__)
#define VYN_LOG_DEBUG(...) ::vyn::log::logMessage(::vyn::log::VYN_LOG_LEVEL_DEBUG, __VA_ARGS__)

#endif  // VYN_LOG_LOGGER_H_
