// The readings every method handler makes of a message in the same way.
#ifndef VYN_CAPTURE_MESSAGE_READINGS_H_
#define VYN_CAPTURE_MESSAGE_READINGS_H_

#include <cstdint>
#include <cstring>
#include <string>

#include "format/record_format.h"
#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

// A message is processed only when the reader's level is strictly greater than the
// message's level (absent: 0).
inline bool passesVisibility(const VynProfileLogReader& reader, const fb::MethodMessage& message) {
  return reader.visibilityLevel > message.level();
}

inline bool hasTiming(const fb::MethodMessage& message) { return message.timing() != nullptr; }

// end - start when both bounds are present and end is not before start; else 0.
inline std::uint64_t messageDuration(const fb::MethodMessage& message) {
  const fb::MethodTiming* timing = message.timing();
  if (timing == nullptr) return 0;
  const auto start = timing->start();
  const auto end = timing->end();
  if (!start.has_value() || !end.has_value() || *end < *start) return 0;
  return *end - *start;
}

inline std::uint64_t messageTimestamp(const fb::MethodMessage& message) {
  const fb::MessageTimestamp* timestamp = message.timestamp();
  return timestamp == nullptr ? 0 : timestamp->value();
}

// A log text copied as a C string: an embedded NUL byte ends it.
inline std::string cText(const flatbuffers::String* text) {
  if (text == nullptr) return {};
  return std::string(text->c_str(), ::strnlen(text->c_str(), text->size()));
}

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_MESSAGE_READINGS_H_
