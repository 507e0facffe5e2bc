// A profiling-log record as plain values, one optional per schema field.
//
// The tools translate between three forms of a record: the FlatBuffers bytes of a
// log, this model, and JSON. An unset optional is a field that is absent from the
// record; a set one is written even when it equals the schema default, because
// the reader tells "absent" from "present with value 0" in several places.
// Strings are byte strings: they may hold NUL bytes and need not be UTF-8.
#ifndef VYN_TOOLS_COMMON_RECORD_MODEL_H_
#define VYN_TOOLS_COMMON_RECORD_MODEL_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vyn::tools {

struct EventModel {
  std::optional<std::string> name;
  std::optional<std::uint32_t> identifier;
  std::optional<std::uint64_t> unsignedValue;
  std::optional<std::uint32_t> unit;
  std::optional<std::vector<EventModel>> subEvents;
  std::optional<std::uint32_t> valueKind;
  std::optional<std::int64_t> signedValue;
  std::optional<float> floatValue;
  std::optional<std::vector<std::uint8_t>> bytesValue;
  std::optional<std::string> detailText;
  std::optional<std::uint64_t> auxValue;
  std::optional<double> doubleValue;
  std::optional<std::string> stringValue;
};

struct TimestampModel {
  std::optional<std::uint64_t> value;
  std::optional<std::uint64_t> sequence;
};

struct TimingModel {
  std::optional<std::uint64_t> start;
  std::optional<std::uint64_t> end;
  std::optional<std::uint64_t> cpuStart;
  std::optional<std::uint64_t> cpuEnd;
  std::optional<std::uint8_t> clockKind;
};

struct MessageModel {
  std::optional<TimestampModel> timestamp;  // required by the schema
  std::optional<std::int8_t> methodType;
  std::optional<TimingModel> timing;        // required by the schema
  std::optional<std::int8_t> level;
  std::optional<std::vector<EventModel>> events;
  std::optional<std::string> name;
};

struct HeaderVersionModel {
  std::optional<std::uint32_t> major;
  std::optional<std::uint32_t> minor;
  std::optional<std::uint32_t> patch;
  std::optional<std::uint8_t> flags;
};

struct HeaderModel {
  std::optional<float> timeScale;
  std::optional<std::uint64_t> epochTimestamp;
  std::optional<std::uint64_t> steadyClockTimestamp;
  std::optional<HeaderVersionModel> version;
  std::optional<std::string> generatorVersion;
  std::optional<std::string> backendVersion;
  std::optional<std::string> generatorName;
};

struct RecordModel {
  std::optional<HeaderModel> header;
  std::optional<std::vector<MessageModel>> messages;
};

// One entry of a log as the tools see it: a record, the verbatim bytes of a
// frame that does not hold a valid record, or bytes after the last frame that
// do not form one (a short length prefix, or a frame cut short).
struct LogEntry {
  enum class Kind { Record, RawFrame, Trailing };
  Kind kind = Kind::Record;
  RecordModel record;               // Kind::Record
  std::vector<std::uint8_t> bytes;  // Kind::RawFrame (without prefix), Kind::Trailing
};

}  // namespace vyn::tools

#endif  // VYN_TOOLS_COMMON_RECORD_MODEL_H_
