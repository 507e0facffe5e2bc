#include "support/log_builder.h"

#include <fstream>
#include <stdexcept>
#include <utility>

#include "profile_log_generated.h"

namespace vyn::testing {
namespace fb = ::vyn::profiling::fb;
namespace {

flatbuffers::Offset<flatbuffers::String> createString(flatbuffers::FlatBufferBuilder& fbb,
                                                      const std::optional<std::string>& text) {
  if (!text) return 0;
  return fbb.CreateString(text->data(), text->size());
}

flatbuffers::Offset<fb::EventEntry> buildEvent(flatbuffers::FlatBufferBuilder& fbb,
                                               const Event& event) {
  const auto name = createString(fbb, event.name);
  flatbuffers::Offset<flatbuffers::Vector<flatbuffers::Offset<fb::EventEntry>>> subEvents = 0;
  if (event.subEvents) {
    std::vector<flatbuffers::Offset<fb::EventEntry>> children;
    for (const Event& child : *event.subEvents) children.push_back(buildEvent(fbb, child));
    subEvents = fbb.CreateVector(children);
  }
  flatbuffers::Offset<flatbuffers::Vector<std::uint8_t>> bytes = 0;
  if (event.bytesValue) bytes = fbb.CreateVector(*event.bytesValue);
  const auto detail = createString(fbb, event.detailText);
  const auto text = createString(fbb, event.stringValue);

  fb::EventEntryBuilder entry(fbb);
  if (event.name) entry.add_name(name);
  if (event.identifier) entry.add_identifier(*event.identifier);
  if (event.unsignedValue) entry.add_unsignedValue(*event.unsignedValue);
  if (event.unit) entry.add_unit(*event.unit);
  if (event.subEvents) entry.add_subEvents(subEvents);
  if (event.valueKind) entry.add_valueKind(*event.valueKind);
  if (event.signedValue) entry.add_signedValue(*event.signedValue);
  if (event.floatValue) entry.add_floatValue(*event.floatValue);
  if (event.bytesValue) entry.add_bytesValue(bytes);
  if (event.detailText) entry.add_detailText(detail);
  if (event.auxValue) entry.add_auxValue(*event.auxValue);
  if (event.doubleValue) entry.add_doubleValue(*event.doubleValue);
  if (event.stringValue) entry.add_stringValue(text);
  return entry.Finish();
}

flatbuffers::Offset<fb::MethodMessage> buildMessage(flatbuffers::FlatBufferBuilder& fbb,
                                                    const Message& message) {
  flatbuffers::Offset<fb::MessageTimestamp> timestamp = 0;
  if (message.hasTimestamp) {
    fb::MessageTimestampBuilder table(fbb);
    if (message.timestamp) table.add_value(*message.timestamp);
    timestamp = table.Finish();
  }
  flatbuffers::Offset<fb::MethodTiming> timing = 0;
  if (message.hasTiming) {
    fb::MethodTimingBuilder table(fbb);
    if (message.start) table.add_start(*message.start);
    if (message.end) table.add_end(*message.end);
    timing = table.Finish();
  }
  flatbuffers::Offset<flatbuffers::Vector<flatbuffers::Offset<fb::EventEntry>>> events = 0;
  if (message.events) {
    std::vector<flatbuffers::Offset<fb::EventEntry>> entries;
    for (const Event& event : *message.events) entries.push_back(buildEvent(fbb, event));
    events = fbb.CreateVector(entries);
  }
  const auto name = createString(fbb, message.name);

  // Written field by field (not through the generated Finish) so that a message
  // missing a required table can be built too.
  const auto start = fbb.StartTable();
  if (message.hasTimestamp) fbb.AddOffset(fb::MethodMessage::VT_TIMESTAMP, timestamp);
  if (message.methodType)
    fbb.AddElement<std::int8_t>(fb::MethodMessage::VT_METHODTYPE, *message.methodType);
  if (message.hasTiming) fbb.AddOffset(fb::MethodMessage::VT_TIMING, timing);
  if (message.level) fbb.AddElement<std::int8_t>(fb::MethodMessage::VT_LEVEL, *message.level);
  if (message.events) fbb.AddOffset(fb::MethodMessage::VT_EVENTS, events);
  if (message.name) fbb.AddOffset(fb::MethodMessage::VT_NAME, name);
  return flatbuffers::Offset<fb::MethodMessage>(fbb.EndTable(start));
}

flatbuffers::Offset<fb::LogHeader> buildHeader(flatbuffers::FlatBufferBuilder& fbb,
                                               const Header& header) {
  flatbuffers::Offset<fb::LogHeaderVersion> version = 0;
  if (header.hasVersion) version = fb::CreateLogHeaderVersion(fbb, 1, 2, 3, 4);
  const auto generatorVersion = createString(fbb, header.generatorVersion);
  const auto backendVersion = createString(fbb, header.backendVersion);
  const auto generatorName = createString(fbb, header.generatorName);
  fb::LogHeaderBuilder table(fbb);
  if (header.timeScale) table.add_timeScale(*header.timeScale);
  if (header.epochTimestamp) table.add_epochTimestamp(*header.epochTimestamp);
  if (header.steadyClockTimestamp) table.add_steadyClockTimestamp(*header.steadyClockTimestamp);
  if (header.hasVersion) table.add_version(version);
  if (header.generatorVersion) table.add_generatorVersion(generatorVersion);
  if (header.backendVersion) table.add_backendVersion(backendVersion);
  if (header.generatorName) table.add_generatorName(generatorName);
  return table.Finish();
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
  fbb.ForceDefaults(true);
  flatbuffers::Offset<fb::LogHeader> header = 0;
  if (record.header) header = buildHeader(fbb, *record.header);
  flatbuffers::Offset<flatbuffers::Vector<flatbuffers::Offset<fb::MethodMessage>>> messages = 0;
  if (record.messages) {
    std::vector<flatbuffers::Offset<fb::MethodMessage>> entries;
    for (const Message& message : *record.messages) entries.push_back(buildMessage(fbb, message));
    messages = fbb.CreateVector(entries);
  }
  fb::ProfileLogRecordBuilder root(fbb);
  if (record.header) root.add_header(header);
  if (record.messages) root.add_messages(messages);
  fbb.Finish(root.Finish());
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
