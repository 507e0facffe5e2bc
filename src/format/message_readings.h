// The readings that every consumer of a log makes of a message in the same way:
// the reader's handlers and the tools that show logs.
#ifndef VYN_FORMAT_MESSAGE_READINGS_H_
#define VYN_FORMAT_MESSAGE_READINGS_H_

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "format/record_format.h"

namespace vyn::profiling {

// How long a method took: end - start when both bounds are present and end is
// not before start; otherwise 0. An absent bound is not a bound of 0.
inline std::uint64_t timingDuration(std::optional<std::uint64_t> start, std::optional<std::uint64_t> end) {
  if (!start.has_value() || !end.has_value() || *end < *start) return 0;
  return *end - *start;
}

// A message is taken by a reader whose level is strictly greater than the
// message's own level (absent: 0).
inline bool passesVisibility(std::int8_t readerLevel, const fb::MethodMessage& message) {
  return readerLevel > message.level();
}

inline bool hasTiming(const fb::MethodMessage& message) { return message.timing() != nullptr; }

inline std::uint64_t messageDuration(const fb::MethodMessage& message) {
  const fb::MethodTiming* timing = message.timing();
  return timing == nullptr ? 0 : timingDuration(timing->start(), timing->end());
}

inline std::uint64_t messageTimestamp(const fb::MethodMessage& message) {
  const fb::MessageTimestamp* timestamp = message.timestamp();
  return timestamp == nullptr ? 0 : timestamp->value();
}

// A log text as a C string reads it: an embedded NUL byte ends it. Absent: empty.
inline std::string_view cText(const flatbuffers::String* text) {
  if (text == nullptr) return {};
  return {text->c_str(), ::strnlen(text->c_str(), text->size())};
}

// The graph a tensor-update call belongs to: its name up to the first " [", so
// that the passes "g [pass 1]" and "g [pass 2]" are both calls of graph g.
inline std::string_view tensorUpdateGraphKey(std::string_view callName) {
  return callName.substr(0, callName.find(" ["));
}

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_MESSAGE_READINGS_H_
