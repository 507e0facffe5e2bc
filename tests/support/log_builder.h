// Composes profiling logs for tests in a few readable lines.
//
// A thin layer over the record model and its encoder: every optional left unset
// is absent from the record; a value that is set is written even when it equals
// the schema default, so "absent" and "present with value 0" can both be
// expressed. Names may hold embedded NUL bytes. Raw bytes and arbitrary length
// prefixes make corrupt frames.
#ifndef VYN_TESTS_SUPPORT_LOG_BUILDER_H_
#define VYN_TESTS_SUPPORT_LOG_BUILDER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "format/record_model.h"

namespace vyn::testing {

// The model's event with fluent setters.
struct Event : profiling::EventModel {
  // An event with a name and an identifier; everything else absent.
  static Event named(std::string name, std::uint32_t identifier = 0);

  // Typed values: each sets valueKind and the matching value field.
  Event& u64(std::uint64_t value);
  Event& i64(std::int64_t value);
  Event& f32(float value);
  Event& f64(double value);
  Event& text(std::string value);
  Event& data(std::vector<std::uint8_t> value);
  Event& withUnit(std::uint32_t unitCode);
  Event& withDetail(std::string detail);
  Event& withAux(std::uint64_t value);
  Event& sub(Event child);
};

// The model's message in a flatter form: the timestamp value and the timing
// bounds sit in the message, and hasTimestamp / hasTiming say whether their
// tables are written at all.
struct Message {
  std::optional<std::int8_t> methodType;
  std::optional<std::int8_t> level;
  bool hasTimestamp = true;  // the table; required by the schema
  std::optional<std::uint64_t> timestamp;
  bool hasTiming = true;     // the table; required by the schema
  std::optional<std::uint64_t> start;
  std::optional<std::uint64_t> end;
  std::optional<std::string> name;
  std::optional<std::vector<Event>> events;

  // A message of the given method type with a timestamp table (value absent) and
  // a timing table (bounds absent).
  static Message of(int methodType);

  Message& named(std::string messageName);
  Message& at(std::uint64_t messageTimestamp);
  Message& timed(std::uint64_t startTime, std::uint64_t endTime);
  // Timing from 1000 to 1000 + duration.
  Message& lasting(std::uint64_t duration);
  Message& withLevel(std::int8_t messageLevel);
  Message& event(Event entry);
};

// The model's header; hasVersion writes a version table 1.2.3.4 where version
// is unset.
struct Header : profiling::HeaderModel {
  bool hasVersion = false;
};

struct Record {
  std::optional<Header> header;
  std::optional<std::vector<Message>> messages;

  Record& with(Message message);
};

// The FlatBuffers bytes of one record, without its length prefix.
std::vector<std::uint8_t> buildRecord(const Record& record);

class LogBuilder {
 public:
  // A frame: length prefix and the record's bytes.
  LogBuilder& record(const Record& record);
  // A record holding just these messages.
  LogBuilder& messages(std::vector<Message> messages);
  // A frame around arbitrary bytes.
  LogBuilder& frame(const std::vector<std::uint8_t>& bytes);
  // A bare length prefix, for frames that lie about their length.
  LogBuilder& lengthPrefix(std::uint32_t length);
  LogBuilder& raw(const std::vector<std::uint8_t>& bytes);

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  // Writes the log to path, replacing any file there.
  void writeTo(const std::string& path) const;

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace vyn::testing

#endif  // VYN_TESTS_SUPPORT_LOG_BUILDER_H_
