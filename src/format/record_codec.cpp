#include "format/record_codec.h"

#include "format/record_format.h"

namespace vyn::profiling {
namespace {

using flatbuffers::FlatBufferBuilder;
using flatbuffers::Offset;
using flatbuffers::uoffset_t;
using flatbuffers::voffset_t;

Offset<flatbuffers::String> encodeString(FlatBufferBuilder& fbb, const std::optional<std::string>& text) {
  if (!text) return 0;
  return fbb.CreateString(text->data(), text->size());
}

// Present scalars are always written, whatever their value.
template <typename T>
void addScalar(FlatBufferBuilder& fbb, voffset_t field, const std::optional<T>& value) {
  if (value) fbb.AddElement<T>(field, *value);
}

// A reference field is written only when the model has it. AddOffset alone would
// also drop it when it is null, which an encoded child never is.
template <typename T>
void addReference(FlatBufferBuilder& fbb, voffset_t field, bool present, Offset<T> offset) {
  if (present) fbb.AddOffset(field, offset);
}

Offset<fb::EventEntry> encodeEvent(FlatBufferBuilder& fbb, const EventModel& event);

Offset<flatbuffers::Vector<Offset<fb::EventEntry>>> encodeEvents(FlatBufferBuilder& fbb,
                                                                 const std::optional<std::vector<EventModel>>& events) {
  if (!events) return 0;
  std::vector<Offset<fb::EventEntry>> offsets;
  offsets.reserve(events->size());
  for (const EventModel& event : *events) offsets.push_back(encodeEvent(fbb, event));
  return fbb.CreateVector(offsets);
}

Offset<fb::EventEntry> encodeEvent(FlatBufferBuilder& fbb, const EventModel& event) {
  const auto name = encodeString(fbb, event.name);
  const auto subEvents = encodeEvents(fbb, event.subEvents);
  Offset<flatbuffers::Vector<std::uint8_t>> bytes = 0;
  if (event.bytesValue) bytes = fbb.CreateVector(*event.bytesValue);
  const auto detailText = encodeString(fbb, event.detailText);
  const auto stringValue = encodeString(fbb, event.stringValue);

  const uoffset_t start = fbb.StartTable();
  addReference(fbb, fb::EventEntry::VT_NAME, event.name.has_value(), name);
  addScalar(fbb, fb::EventEntry::VT_IDENTIFIER, event.identifier);
  addScalar(fbb, fb::EventEntry::VT_UNSIGNEDVALUE, event.unsignedValue);
  addScalar(fbb, fb::EventEntry::VT_UNIT, event.unit);
  addReference(fbb, fb::EventEntry::VT_SUBEVENTS, event.subEvents.has_value(), subEvents);
  addScalar(fbb, fb::EventEntry::VT_VALUEKIND, event.valueKind);
  addScalar(fbb, fb::EventEntry::VT_SIGNEDVALUE, event.signedValue);
  addScalar(fbb, fb::EventEntry::VT_FLOATVALUE, event.floatValue);
  addReference(fbb, fb::EventEntry::VT_BYTESVALUE, event.bytesValue.has_value(), bytes);
  addReference(fbb, fb::EventEntry::VT_DETAILTEXT, event.detailText.has_value(), detailText);
  addScalar(fbb, fb::EventEntry::VT_AUXVALUE, event.auxValue);
  addScalar(fbb, fb::EventEntry::VT_DOUBLEVALUE, event.doubleValue);
  addReference(fbb, fb::EventEntry::VT_STRINGVALUE, event.stringValue.has_value(), stringValue);
  return Offset<fb::EventEntry>(fbb.EndTable(start));
}

Offset<fb::MessageTimestamp> encodeTimestamp(FlatBufferBuilder& fbb, const TimestampModel& model) {
  const uoffset_t start = fbb.StartTable();
  addScalar(fbb, fb::MessageTimestamp::VT_VALUE, model.value);
  addScalar(fbb, fb::MessageTimestamp::VT_SEQUENCE, model.sequence);
  return Offset<fb::MessageTimestamp>(fbb.EndTable(start));
}

Offset<fb::MethodTiming> encodeTiming(FlatBufferBuilder& fbb, const TimingModel& model) {
  const uoffset_t start = fbb.StartTable();
  addScalar(fbb, fb::MethodTiming::VT_START, model.start);
  addScalar(fbb, fb::MethodTiming::VT_END, model.end);
  addScalar(fbb, fb::MethodTiming::VT_CPUSTART, model.cpuStart);
  addScalar(fbb, fb::MethodTiming::VT_CPUEND, model.cpuEnd);
  addScalar(fbb, fb::MethodTiming::VT_CLOCKKIND, model.clockKind);
  return Offset<fb::MethodTiming>(fbb.EndTable(start));
}

// Written field by field rather than through the generated builder, which would
// refuse a message without its required tables; such logs are needed to test
// how readers cope with them.
Offset<fb::MethodMessage> encodeMessage(FlatBufferBuilder& fbb, const MessageModel& message) {
  Offset<fb::MessageTimestamp> timestamp = 0;
  if (message.timestamp) timestamp = encodeTimestamp(fbb, *message.timestamp);
  Offset<fb::MethodTiming> timing = 0;
  if (message.timing) timing = encodeTiming(fbb, *message.timing);
  const auto events = encodeEvents(fbb, message.events);
  const auto name = encodeString(fbb, message.name);

  const uoffset_t start = fbb.StartTable();
  addReference(fbb, fb::MethodMessage::VT_TIMESTAMP, message.timestamp.has_value(), timestamp);
  addScalar(fbb, fb::MethodMessage::VT_METHODTYPE, message.methodType);
  addReference(fbb, fb::MethodMessage::VT_TIMING, message.timing.has_value(), timing);
  addScalar(fbb, fb::MethodMessage::VT_LEVEL, message.level);
  addReference(fbb, fb::MethodMessage::VT_EVENTS, message.events.has_value(), events);
  addReference(fbb, fb::MethodMessage::VT_NAME, message.name.has_value(), name);
  return Offset<fb::MethodMessage>(fbb.EndTable(start));
}

Offset<fb::LogHeader> encodeHeader(FlatBufferBuilder& fbb, const HeaderModel& header) {
  Offset<fb::LogHeaderVersion> version = 0;
  if (header.version) {
    const uoffset_t start = fbb.StartTable();
    addScalar(fbb, fb::LogHeaderVersion::VT_MAJOR, header.version->major);
    addScalar(fbb, fb::LogHeaderVersion::VT_MINOR, header.version->minor);
    addScalar(fbb, fb::LogHeaderVersion::VT_PATCH, header.version->patch);
    addScalar(fbb, fb::LogHeaderVersion::VT_FLAGS, header.version->flags);
    version = Offset<fb::LogHeaderVersion>(fbb.EndTable(start));
  }
  const auto generatorVersion = encodeString(fbb, header.generatorVersion);
  const auto backendVersion = encodeString(fbb, header.backendVersion);
  const auto generatorName = encodeString(fbb, header.generatorName);

  const uoffset_t start = fbb.StartTable();
  addScalar(fbb, fb::LogHeader::VT_TIMESCALE, header.timeScale);
  addScalar(fbb, fb::LogHeader::VT_EPOCHTIMESTAMP, header.epochTimestamp);
  addScalar(fbb, fb::LogHeader::VT_STEADYCLOCKTIMESTAMP, header.steadyClockTimestamp);
  addReference(fbb, fb::LogHeader::VT_VERSION, header.version.has_value(), version);
  addReference(fbb, fb::LogHeader::VT_GENERATORVERSION, header.generatorVersion.has_value(), generatorVersion);
  addReference(fbb, fb::LogHeader::VT_BACKENDVERSION, header.backendVersion.has_value(), backendVersion);
  addReference(fbb, fb::LogHeader::VT_GENERATORNAME, header.generatorName.has_value(), generatorName);
  return Offset<fb::LogHeader>(fbb.EndTable(start));
}

// Reading side: every field is read only when the table's vtable has it.
// The generated tables derive privately from flatbuffers::Table; the library's
// own field-presence helper takes the same view of them.
template <typename T, typename GeneratedTable>
std::optional<T> readScalar(const GeneratedTable& generated, voffset_t field) {
  const auto& table = *reinterpret_cast<const flatbuffers::Table*>(&generated);
  if (!table.CheckField(field)) return std::nullopt;
  return table.GetField<T>(field, T{});
}

std::optional<std::string> readString(const flatbuffers::String* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text->data(), text->size());
}

std::vector<EventModel> decodeEvents(const flatbuffers::Vector<Offset<fb::EventEntry>>& entries);

EventModel decodeEvent(const fb::EventEntry& entry) {
  EventModel event;
  event.name = readString(entry.name());
  event.identifier = readScalar<std::uint32_t>(entry, fb::EventEntry::VT_IDENTIFIER);
  event.unsignedValue = readScalar<std::uint64_t>(entry, fb::EventEntry::VT_UNSIGNEDVALUE);
  event.unit = readScalar<std::uint32_t>(entry, fb::EventEntry::VT_UNIT);
  if (entry.subEvents() != nullptr) event.subEvents = decodeEvents(*entry.subEvents());
  event.valueKind = readScalar<std::uint32_t>(entry, fb::EventEntry::VT_VALUEKIND);
  event.signedValue = readScalar<std::int64_t>(entry, fb::EventEntry::VT_SIGNEDVALUE);
  event.floatValue = readScalar<float>(entry, fb::EventEntry::VT_FLOATVALUE);
  if (const auto* bytes = entry.bytesValue()) {
    event.bytesValue = std::vector<std::uint8_t>(bytes->begin(), bytes->end());
  }
  event.detailText = readString(entry.detailText());
  event.auxValue = readScalar<std::uint64_t>(entry, fb::EventEntry::VT_AUXVALUE);
  event.doubleValue = readScalar<double>(entry, fb::EventEntry::VT_DOUBLEVALUE);
  event.stringValue = readString(entry.stringValue());
  return event;
}

std::vector<EventModel> decodeEvents(const flatbuffers::Vector<Offset<fb::EventEntry>>& entries) {
  std::vector<EventModel> events;
  events.reserve(entries.size());
  for (const fb::EventEntry* entry : entries) events.push_back(decodeEvent(*entry));
  return events;
}

MessageModel decodeMessage(const fb::MethodMessage& message) {
  MessageModel model;
  if (const auto* timestamp = message.timestamp()) {
    model.timestamp = TimestampModel{readScalar<std::uint64_t>(*timestamp, fb::MessageTimestamp::VT_VALUE),
                                     readScalar<std::uint64_t>(*timestamp, fb::MessageTimestamp::VT_SEQUENCE)};
  }
  model.methodType = readScalar<std::int8_t>(message, fb::MethodMessage::VT_METHODTYPE);
  if (const auto* timing = message.timing()) {
    model.timing = TimingModel{readScalar<std::uint64_t>(*timing, fb::MethodTiming::VT_START),
                               readScalar<std::uint64_t>(*timing, fb::MethodTiming::VT_END),
                               readScalar<std::uint64_t>(*timing, fb::MethodTiming::VT_CPUSTART),
                               readScalar<std::uint64_t>(*timing, fb::MethodTiming::VT_CPUEND),
                               readScalar<std::uint8_t>(*timing, fb::MethodTiming::VT_CLOCKKIND)};
  }
  model.level = readScalar<std::int8_t>(message, fb::MethodMessage::VT_LEVEL);
  if (message.events() != nullptr) model.events = decodeEvents(*message.events());
  model.name = readString(message.name());
  return model;
}

HeaderModel decodeHeader(const fb::LogHeader& header) {
  HeaderModel model;
  model.timeScale = readScalar<float>(header, fb::LogHeader::VT_TIMESCALE);
  model.epochTimestamp = readScalar<std::uint64_t>(header, fb::LogHeader::VT_EPOCHTIMESTAMP);
  model.steadyClockTimestamp = readScalar<std::uint64_t>(header, fb::LogHeader::VT_STEADYCLOCKTIMESTAMP);
  if (const auto* version = header.version()) {
    model.version = HeaderVersionModel{readScalar<std::uint32_t>(*version, fb::LogHeaderVersion::VT_MAJOR),
                                       readScalar<std::uint32_t>(*version, fb::LogHeaderVersion::VT_MINOR),
                                       readScalar<std::uint32_t>(*version, fb::LogHeaderVersion::VT_PATCH),
                                       readScalar<std::uint8_t>(*version, fb::LogHeaderVersion::VT_FLAGS)};
  }
  model.generatorVersion = readString(header.generatorVersion());
  model.backendVersion = readString(header.backendVersion());
  model.generatorName = readString(header.generatorName());
  return model;
}

}  // namespace

void encodeRecord(const RecordModel& record, FlatBufferBuilder& builder) {
  builder.Clear();
  Offset<fb::LogHeader> header = 0;
  if (record.header) header = encodeHeader(builder, *record.header);
  Offset<flatbuffers::Vector<Offset<fb::MethodMessage>>> messages = 0;
  if (record.messages) {
    std::vector<Offset<fb::MethodMessage>> offsets;
    offsets.reserve(record.messages->size());
    for (const MessageModel& message : *record.messages) {
      offsets.push_back(encodeMessage(builder, message));
    }
    messages = builder.CreateVector(offsets);
  }
  const uoffset_t start = builder.StartTable();
  addReference(builder, fb::ProfileLogRecord::VT_HEADER, record.header.has_value(), header);
  addReference(builder, fb::ProfileLogRecord::VT_MESSAGES, record.messages.has_value(), messages);
  builder.Finish(Offset<fb::ProfileLogRecord>(builder.EndTable(start)));
}

RecordModel decodeRecord(const std::uint8_t* bytes, std::size_t /*size*/) {
  const auto* root = flatbuffers::GetRoot<fb::ProfileLogRecord>(bytes);
  RecordModel record;
  if (const auto* header = root->header()) record.header = decodeHeader(*header);
  if (const auto* messages = root->messages()) {
    record.messages.emplace();
    record.messages->reserve(messages->size());
    for (const fb::MethodMessage* message : *messages) {
      record.messages->push_back(decodeMessage(*message));
    }
  }
  return record;
}

}  // namespace vyn::profiling
