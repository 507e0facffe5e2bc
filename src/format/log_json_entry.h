// The record model under the tools' namespace, and one entry of a log as its
// JSON form holds it.
#ifndef VYN_FORMAT_LOG_JSON_ENTRY_H_
#define VYN_FORMAT_LOG_JSON_ENTRY_H_

#include <cstdint>
#include <vector>

#include "format/record_model.h"

namespace vyn::tools {

using profiling::EventModel;
using profiling::HeaderModel;
using profiling::HeaderVersionModel;
using profiling::MessageModel;
using profiling::RecordModel;
using profiling::TimestampModel;
using profiling::TimingModel;

// A record, the verbatim bytes of a frame that does not hold a valid record, or
// bytes after the last frame that do not form one (a short length prefix, or a
// frame cut short).
struct LogEntry {
  enum class Kind { Record, RawFrame, Trailing };
  Kind kind = Kind::Record;
  RecordModel record;               // Kind::Record
  std::vector<std::uint8_t> bytes;  // Kind::RawFrame (without prefix), Kind::Trailing
};

}  // namespace vyn::tools

#endif  // VYN_FORMAT_LOG_JSON_ENTRY_H_
