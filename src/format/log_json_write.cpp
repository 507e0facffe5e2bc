// The record model to JSON, for dump.
#include "format/log_json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "base/utf8.h"
#include "format/log_json_base64.h"
#include "format/log_json_names.h"

namespace vyn::tools {
namespace {

// Only well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF) can be written as a JSON string and read back unchanged.
bool isValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const base::Utf8Sequence sequence = base::utf8SequenceAt(text, at);
    if (!sequence.wellFormed) return false;
    at += sequence.length;
  }
  return true;
}

Json stringToJson(const std::string& text) {
  if (isValidUtf8(text)) return Json(text);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return Json{{"base64", base64Encode(bytes, text.size())}};
}

Json nonFiniteToJson(double value) {
  if (std::isnan(value)) return Json("NaN");
  return Json(value > 0 ? "Infinity" : "-Infinity");
}

// The shortest decimal that reads back as the same float, so that 0.1f is
// written as 0.1 and not as the double nearest to it.
Json floatToJson(float value) {
  if (!std::isfinite(value)) return nonFiniteToJson(value);
  char text[32];
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  return Json(std::strtod(text, nullptr));
}

Json doubleToJson(double value) {
  if (!std::isfinite(value)) return nonFiniteToJson(value);
  return Json(value);
}

template <typename T>
Json enumToJson(T value, std::string (*nameOf)(std::int64_t)) {
  const std::string name = nameOf(static_cast<std::int64_t>(value));
  if (!name.empty()) return Json(name);
  return Json(static_cast<std::int64_t>(value));
}

Json eventsToJson(const std::vector<EventModel>& events);

Json eventToJson(const EventModel& event) {
  Json json = Json::object();
  if (event.name) json["name"] = stringToJson(*event.name);
  if (event.identifier) json["identifier"] = *event.identifier;
  if (event.unsignedValue) json["unsigned_value"] = *event.unsignedValue;
  if (event.unit) json["unit"] = enumToJson(*event.unit, eventUnitEnumName);
  if (event.subEvents) json["sub_events"] = eventsToJson(*event.subEvents);
  if (event.valueKind) json["value_kind"] = enumToJson(*event.valueKind, valueKindName);
  if (event.signedValue) json["signed_value"] = *event.signedValue;
  if (event.floatValue) json["float_value"] = floatToJson(*event.floatValue);
  if (event.bytesValue) json["bytes_value"] = base64Encode(*event.bytesValue);
  if (event.detailText) json["detail_text"] = stringToJson(*event.detailText);
  if (event.auxValue) json["aux_value"] = *event.auxValue;
  if (event.doubleValue) json["double_value"] = doubleToJson(*event.doubleValue);
  if (event.stringValue) json["string_value"] = stringToJson(*event.stringValue);
  return json;
}

Json eventsToJson(const std::vector<EventModel>& events) {
  Json json = Json::array();
  for (const EventModel& event : events) json.push_back(eventToJson(event));
  return json;
}

Json messageToJson(const MessageModel& message) {
  Json json = Json::object();
  if (message.timestamp) {
    const TimestampModel& timestamp = *message.timestamp;
    if (timestamp.value && !timestamp.sequence) {
      json["timestamp"] = *timestamp.value;
    } else {
      Json table = Json::object();
      if (timestamp.value) table["value"] = *timestamp.value;
      if (timestamp.sequence) table["sequence"] = *timestamp.sequence;
      json["timestamp"] = std::move(table);
    }
  }
  if (message.methodType) json["method_type"] = enumToJson(*message.methodType, methodTypeName);
  if (message.timing) {
    const TimingModel& timing = *message.timing;
    Json table = Json::object();
    if (timing.start) table["start"] = *timing.start;
    if (timing.end) table["end"] = *timing.end;
    if (timing.cpuStart) table["cpu_start"] = *timing.cpuStart;
    if (timing.cpuEnd) table["cpu_end"] = *timing.cpuEnd;
    if (timing.clockKind) table["clock_kind"] = *timing.clockKind;
    json["timing"] = std::move(table);
  }
  if (message.level) json["level"] = *message.level;
  if (message.events) json["events"] = eventsToJson(*message.events);
  if (message.name) json["name"] = stringToJson(*message.name);
  return json;
}

Json headerToJson(const HeaderModel& header) {
  Json json = Json::object();
  if (header.timeScale) json["time_scale"] = floatToJson(*header.timeScale);
  if (header.epochTimestamp) json["epoch_timestamp"] = *header.epochTimestamp;
  if (header.steadyClockTimestamp) json["steady_clock_timestamp"] = *header.steadyClockTimestamp;
  if (header.version) {
    const HeaderVersionModel& version = *header.version;
    Json table = Json::object();
    if (version.major) table["major"] = *version.major;
    if (version.minor) table["minor"] = *version.minor;
    if (version.patch) table["patch"] = *version.patch;
    if (version.flags) table["flags"] = *version.flags;
    json["version"] = std::move(table);
  }
  if (header.generatorVersion) json["generator_version"] = stringToJson(*header.generatorVersion);
  if (header.backendVersion) json["backend_version"] = stringToJson(*header.backendVersion);
  if (header.generatorName) json["generator_name"] = stringToJson(*header.generatorName);
  return json;
}

}  // namespace

Json entryToJson(const LogEntry& entry) {
  switch (entry.kind) {
    case LogEntry::Kind::RawFrame:
      return Json{{"raw_record", base64Encode(entry.bytes)}};
    case LogEntry::Kind::Trailing:
      return Json{{"trailing_bytes", base64Encode(entry.bytes)}};
    case LogEntry::Kind::Record:
      break;
  }
  Json json = Json::object();
  if (entry.record.header) json["header"] = headerToJson(*entry.record.header);
  if (entry.record.messages) {
    Json messages = Json::array();
    for (const MessageModel& message : *entry.record.messages) {
      messages.push_back(messageToJson(message));
    }
    json["messages"] = std::move(messages);
  }
  return json;
}

}  // namespace vyn::tools
