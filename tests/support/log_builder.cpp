#include "support/log_builder.h"

#include <fstream>
#include <stdexcept>
#include <utility>

#include "format/record_codec.h"

namespace vyn::testing {
namespace {

profiling::MessageModel toModel(const Message& message) {
  profiling::MessageModel model;
  if (message.hasTimestamp) model.timestamp.emplace().value = message.timestamp;
  model.methodType = message.methodType;
  if (message.hasTiming) {
    model.timing.emplace();
    model.timing->start = message.start;
    model.timing->end = message.end;
  }
  model.level = message.level;
  if (message.events) model.events.emplace(message.events->begin(), message.events->end());
  model.name = message.name;
  return model;
}

profiling::RecordModel toModel(const Record& record) {
  profiling::RecordModel model;
  if (record.header) {
    model.header = *record.header;
    if (record.header->hasVersion && !model.header->version) {
      model.header->version = profiling::HeaderVersionModel{1, 2, 3, 4};
    }
  }
  if (record.messages) {
    model.messages.emplace();
    for (const Message& message : *record.messages) model.messages->push_back(toModel(message));
  }
  return model;
}

void appendPrefix(std::vector<std::uint8_t>& out, std::uint32_t length) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(length >> shift));
}

}  // namespace

Event Event::named(std::string eventName, std::uint32_t id) {
  Event event;
  event.name = std::move(eventName);
  event.identifier = id;
  return event;
}

Event& Event::u64(std::uint64_t value) {
  valueKind = 2;
  unsignedValue = value;
  return *this;
}
Event& Event::i64(std::int64_t value) {
  valueKind = 1;
  signedValue = value;
  return *this;
}
Event& Event::f32(float value) {
  valueKind = 3;
  floatValue = value;
  return *this;
}
Event& Event::f64(double value) {
  valueKind = 5;
  doubleValue = value;
  return *this;
}
Event& Event::text(std::string value) {
  valueKind = 6;
  stringValue = std::move(value);
  return *this;
}
Event& Event::data(std::vector<std::uint8_t> value) {
  valueKind = 4;
  bytesValue = std::move(value);
  return *this;
}
Event& Event::withUnit(std::uint32_t unitCode) {
  unit = unitCode;
  return *this;
}
Event& Event::withDetail(std::string detail) {
  detailText = std::move(detail);
  return *this;
}
Event& Event::withAux(std::uint64_t value) {
  auxValue = value;
  return *this;
}
Event& Event::sub(Event child) {
  if (!subEvents) subEvents.emplace();
  subEvents->push_back(std::move(child));
  return *this;
}

Message Message::of(int type) {
  Message message;
  message.methodType = static_cast<std::int8_t>(type);
  return message;
}
Message& Message::named(std::string messageName) {
  name = std::move(messageName);
  return *this;
}
Message& Message::at(std::uint64_t messageTimestamp) {
  timestamp = messageTimestamp;
  return *this;
}
Message& Message::timed(std::uint64_t startTime, std::uint64_t endTime) {
  start = startTime;
  end = endTime;
  return *this;
}
Message& Message::lasting(std::uint64_t duration) { return timed(1000, 1000 + duration); }
Message& Message::withLevel(std::int8_t messageLevel) {
  level = messageLevel;
  return *this;
}
Message& Message::event(Event entry) {
  if (!events) events.emplace();
  events->push_back(std::move(entry));
  return *this;
}

Record& Record::with(Message message) {
  if (!messages) messages.emplace();
  messages->push_back(std::move(message));
  return *this;
}

std::vector<std::uint8_t> buildRecord(const Record& record) {
  flatbuffers::FlatBufferBuilder fbb;
  profiling::encodeRecord(toModel(record), fbb);
  return {fbb.GetBufferPointer(), fbb.GetBufferPointer() + fbb.GetSize()};
}

LogBuilder& LogBuilder::record(const Record& record) { return frame(buildRecord(record)); }

LogBuilder& LogBuilder::messages(std::vector<Message> list) {
  Record record;
  record.messages = std::move(list);
  return this->record(record);
}

LogBuilder& LogBuilder::frame(const std::vector<std::uint8_t>& bytes) {
  appendPrefix(bytes_, static_cast<std::uint32_t>(bytes.size()));
  return raw(bytes);
}

LogBuilder& LogBuilder::lengthPrefix(std::uint32_t length) {
  appendPrefix(bytes_, length);
  return *this;
}

LogBuilder& LogBuilder::raw(const std::vector<std::uint8_t>& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

void LogBuilder::writeTo(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes_.data()),
            static_cast<std::streamsize>(bytes_.size()));
  if (!out) throw std::runtime_error("cannot write test log " + path);
}

}  // namespace vyn::testing
