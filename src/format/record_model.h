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

// Each table's fields in schema order, as F(type, member, FIELD): the model
// holds std::optional<type> member, and the codec reads and writes it as the
// schema's field FIELD (the generated table's VT_FIELD). One list serves both,
// so that a field added to the schema is added here alone.
#define VYN_EVENT_FIELDS(F)                            \
  F(std::string, name, NAME)                           \
  F(std::uint32_t, identifier, IDENTIFIER)             \
  F(std::uint64_t, unsignedValue, UNSIGNEDVALUE)       \
  F(std::uint32_t, unit, UNIT)                         \
  F(std::vector<EventModel>, subEvents, SUBEVENTS)     \
  F(std::uint32_t, valueKind, VALUEKIND)               \
  F(std::int64_t, signedValue, SIGNEDVALUE)            \
  F(float, floatValue, FLOATVALUE)                     \
  F(std::vector<std::uint8_t>, bytesValue, BYTESVALUE) \
  F(std::string, detailText, DETAILTEXT)               \
  F(std::uint64_t, auxValue, AUXVALUE)                 \
  F(double, doubleValue, DOUBLEVALUE)                  \
  F(std::string, stringValue, STRINGVALUE)
#define VYN_TIMESTAMP_FIELDS(F)  \
  F(std::uint64_t, value, VALUE) \
  F(std::uint64_t, sequence, SEQUENCE)
#define VYN_TIMING_FIELDS(F)           \
  F(std::uint64_t, start, START)       \
  F(std::uint64_t, end, END)           \
  F(std::uint64_t, cpuStart, CPUSTART) \
  F(std::uint64_t, cpuEnd, CPUEND)     \
  F(std::uint8_t, clockKind, CLOCKKIND)
// The timestamp and the timing are required by the schema.
#define VYN_MESSAGE_FIELDS(F)                \
  F(TimestampModel, timestamp, TIMESTAMP)    \
  F(std::int8_t, methodType, METHODTYPE)     \
  F(TimingModel, timing, TIMING)             \
  F(std::int8_t, level, LEVEL)               \
  F(std::vector<EventModel>, events, EVENTS) \
  F(std::string, name, NAME)
#define VYN_HEADER_VERSION_FIELDS(F) \
  F(std::uint32_t, major, MAJOR)     \
  F(std::uint32_t, minor, MINOR)     \
  F(std::uint32_t, patch, PATCH)     \
  F(std::uint8_t, flags, FLAGS)
#define VYN_HEADER_FIELDS(F)                                   \
  F(float, timeScale, TIMESCALE)                               \
  F(std::uint64_t, epochTimestamp, EPOCHTIMESTAMP)             \
  F(std::uint64_t, steadyClockTimestamp, STEADYCLOCKTIMESTAMP) \
  F(HeaderVersionModel, version, VERSION)                      \
  F(std::string, generatorVersion, GENERATORVERSION)           \
  F(std::string, backendVersion, BACKENDVERSION)               \
  F(std::string, generatorName, GENERATORNAME)
#define VYN_RECORD_FIELDS(F)     \
  F(HeaderModel, header, HEADER) \
  F(std::vector<MessageModel>, messages, MESSAGES)

#define VYN_MODEL_MEMBER(type, member, field) std::optional<type> member;
#define VYN_MODEL(Model, FIELDS) \
  struct Model {                 \
    FIELDS(VYN_MODEL_MEMBER)     \
  };
VYN_MODEL(EventModel, VYN_EVENT_FIELDS)
VYN_MODEL(TimestampModel, VYN_TIMESTAMP_FIELDS)
VYN_MODEL(TimingModel, VYN_TIMING_FIELDS)
VYN_MODEL(MessageModel, VYN_MESSAGE_FIELDS)
VYN_MODEL(HeaderVersionModel, VYN_HEADER_VERSION_FIELDS)
VYN_MODEL(HeaderModel, VYN_HEADER_FIELDS)
VYN_MODEL(RecordModel, VYN_RECORD_FIELDS)
#undef VYN_MODEL
#undef VYN_MODEL_MEMBER

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_RECORD_MODEL_H_
