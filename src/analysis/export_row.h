// The tidy rows of `vyn-profile-log export`: one row per phase occurrence, then
// one row per event measured below it, and the sink they are handed to.
#ifndef VYN_ANALYSIS_EXPORT_ROW_H_
#define VYN_ANALYSIS_EXPORT_ROW_H_

#include <cstdint>
#include <string_view>

#include "base/text_buffer.h"

namespace vyn::tools {

// The value cell of an event row: a number, or nothing (no value, a text value,
// a hardware-unit set, a value that is not finite).
struct ExportNumber {
  enum class Kind : std::uint8_t { None, Signed, Unsigned, Single, Double };
  Kind kind = Kind::None;
  std::int64_t signedNumber = 0;
  std::uint64_t unsignedNumber = 0;
  float single = 0.0f;  // written as the shortest text that reads back as this single
  double wide = 0.0;    // written as the shortest text that reads back as this double
};

// Appends the value cell's number in its own form; false, appending nothing, when it holds none.
inline bool appendExportNumber(base::TextAppender& out, const ExportNumber& value) {
  switch (value.kind) {
    case ExportNumber::Kind::Signed:
      return out.signedNumber(value.signedNumber), true;
    case ExportNumber::Kind::Unsigned:
      return out.number(value.unsignedNumber), true;
    case ExportNumber::Kind::Single:
      return out.shortest(value.single), true;
    case ExportNumber::Kind::Double:
      return out.shortest(value.wide), true;
    case ExportNumber::Kind::None:
      break;
  }
  return false;
}

// One phase occurrence: the key every row of the occurrence repeats, and the
// duration that only its own row carries.
struct OccurrenceColumns {
  bool hasGraph = false;  // phases of the whole session have no graph
  std::string_view graph;
  bool graphHasSeparators = false;  // holds a comma, a quote or a line break
  std::string_view phase;
  std::uint64_t occurrence = 0;  // index within the graph's (or the session's) calls
  std::uint64_t timestamp = 0;
  std::uint64_t duration = 0;
};

// One event below the occurrence last handed to the sink.
struct EventColumns {
  std::string_view path;  // names from the top-level event down, joined by " / "
  bool pathHasSeparators = false;
  std::uint64_t depth = 0;  // 0 for a top-level event
  std::uint32_t identifier = 0;
  ExportNumber value;
  std::string_view unit;  // lower-case unit word
  bool hasText = false;
  std::string_view text;
};

// Where the rows go: an occurrence, then the events below it in pre-order.
class ExportRowSink {
 public:
  virtual ~ExportRowSink() = default;
  virtual void occurrence(const OccurrenceColumns& row) = 0;
  virtual void event(const EventColumns& row) = 0;
  // False once writing failed: the walk stops early then.
  virtual bool healthy() const = 0;
};

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_EXPORT_ROW_H_
