// A profiling-log record as plain values, one optional per schema field.
//
// The form in which logs are written and inspected rather than read: the tools
// translate between it, the FlatBuffers bytes of a log and JSON, and the tests
// compose their logs in it. An unset optional is a field that is absent from the
// record; a set one is written even when it equals the schema default, because
// the reader tells "absent" from "present with value 0" in several places.
// Strings are byte strings: they may hold NUL bytes and need not be UTF-8.
#ifndef VYN_FORMAT_RECORD_MODEL_H_
#define VYN_FORMAT_RECORD_MODEL_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vyn::profiling {

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
  std::optional<TimingModel> timing;  // required by the schema
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

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_RECORD_MODEL_H_
