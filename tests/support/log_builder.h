// Composes profiling logs for tests: a thin layer over the record model and its
// encoder. An optional left unset is absent from the record; one that is set is
// written even when it equals the schema default. Names may hold NUL bytes; raw
// bytes and arbitrary length prefixes make corrupt frames.
#ifndef VYN_TESTS_SUPPORT_LOG_BUILDER_H_
#define VYN_TESTS_SUPPORT_LOG_BUILDER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "format/record_model.h"

namespace vyn::testing {

// The list, made present (and empty) where it was absent.
template <typename T>
std::vector<T>& present(std::optional<std::vector<T>>& list) {
  return list ? *list : list.emplace();
}

// The model's event with fluent setters; each typed value sets valueKind and the
// matching value field.
struct Event : profiling::EventModel {
  static Event named(std::string eventName, std::uint32_t id = 0) {
    Event event;
    event.name = std::move(eventName);
    event.identifier = id;
    return event;
  }

  Event& u64(std::uint64_t value) { return set(&Event::unsignedValue, value).kind(2); }
  Event& i64(std::int64_t value) { return set(&Event::signedValue, value).kind(1); }
  Event& f32(float value) { return set(&Event::floatValue, value).kind(3); }
  Event& f64(double value) { return set(&Event::doubleValue, value).kind(5); }
  Event& text(std::string value) { return set(&Event::stringValue, std::move(value)).kind(6); }
  Event& data(std::vector<std::uint8_t> value) { return set(&Event::bytesValue, std::move(value)).kind(4); }
  Event& withUnit(std::uint32_t unitCode) { return set(&Event::unit, unitCode); }
  Event& withDetail(std::string detail) { return set(&Event::detailText, std::move(detail)); }
  Event& sub(Event child) {
    present(subEvents).push_back(std::move(child));
    return *this;
  }
  Event& kind(std::uint32_t code) { return set(&Event::valueKind, code); }

 private:
  template <typename Field, typename Value>
  Event& set(Field profiling::EventModel::*field, Value value) {
    this->*field = std::move(value);
    return *this;
  }
};

// The model's message in a flatter form: the timestamp value and the timing
// bounds sit in the message; the timestamp table is always written, and
// hasTiming says whether the timing table is.
struct Message {
  std::optional<std::int8_t> methodType, level;
  std::optional<std::uint64_t> timestamp;
  bool hasTiming = true;  // the table; required by the schema
  std::optional<std::uint64_t> start, end;
  std::optional<std::string> name;
  std::optional<std::vector<Event>> events;

  static Message of(int type) {
    Message message;
    message.methodType = static_cast<std::int8_t>(type);
    return message;
  }
  Message& named(std::string text) { return set(&Message::name, std::move(text)); }
  Message& at(std::uint64_t value) { return set(&Message::timestamp, value); }
  Message& timed(std::uint64_t from, std::uint64_t to) {
    start = from;
    end = to;
    return *this;
  }
  Message& lasting(std::uint64_t duration) { return timed(1000, 1000 + duration); }
  Message& withLevel(std::int8_t value) { return set(&Message::level, value); }
  Message& event(Event entry) {
    present(events).push_back(std::move(entry));
    return *this;
  }

 private:
  template <typename Field, typename Value>
  Message& set(Field Message::*field, Value value) {
    this->*field = std::move(value);
    return *this;
  }
};

// The model's header; hasVersion writes a version table 1.2.3.4 where version
// is unset.
struct Header : profiling::HeaderModel {
  bool hasVersion = false;
};

struct Record {
  std::optional<Header> header;
  std::optional<std::vector<Message>> messages;

  Record& with(Message message) {
    present(messages).push_back(std::move(message));
    return *this;
  }
};

// The FlatBuffers bytes of one record, without its length prefix.
std::vector<std::uint8_t> buildRecord(const Record& record);

class LogBuilder {
 public:
  LogBuilder& record(const Record& record) { return frame(buildRecord(record)); }
  LogBuilder& messages(std::vector<Message> list) { return record(Record{std::nullopt, std::move(list)}); }
  LogBuilder& frame(const std::vector<std::uint8_t>& bytes) {
    return lengthPrefix(static_cast<std::uint32_t>(bytes.size())).raw(bytes);
  }
  // A bare length prefix (little endian), for frames that lie about their length.
  LogBuilder& lengthPrefix(std::uint32_t length) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(length >> shift));
    return *this;
  }
  LogBuilder& raw(const std::vector<std::uint8_t>& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  void writeTo(const std::string& path) const;

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace vyn::testing

#endif  // VYN_TESTS_SUPPORT_LOG_BUILDER_H_
