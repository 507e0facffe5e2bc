#include "analysis/trace_writer.h"

#include <cmath>
#include <cstring>
#include <string_view>

#include "analysis/json_document.h"
#include "format/event_value_reading.h"
#include "format/log_json_names.h"
#include "format/message_readings.h"

namespace vyn::tools {
namespace {

namespace fb = ::vyn::profiling::fb;
using profiling::EventValueForm;

constexpr int kProcessId = 1;
constexpr int kSessionTrack = 0;

// Whether the record holds the field at all, as opposed to the schema default.
template <typename Table>
bool present(const Table& table, typename Table::FlatBuffersVTableOffset field) {
  return flatbuffers::IsFieldPresent(&table, field);
}

// A log text with every byte it stores, embedded NUL bytes included.
std::string whole(const flatbuffers::String& text) { return {text.data(), text.size()}; }

// Method types whose message name is the graph name.
bool isGraphMethod(std::int8_t type) {
  switch (type) {
    case fb::MethodType_Execute:
    case fb::MethodType_Finalize:
    case fb::MethodType_ExecuteRoundTrip:
    case fb::MethodType_ComposeGraph:
    case fb::MethodType_ExecuteEvents:
    case fb::MethodType_ApplyBinarySection:
    case fb::MethodType_ApplyBinarySection2:
    case fb::MethodType_FinalizeAfterTensorUpdates:
      return true;
    default:
      return false;
  }
}

// The graph a message of a graph method belongs to; a tensor-update pass
// "g [pass 1]" is graph g.
std::string graphOf(std::int8_t type, const flatbuffers::String& name) {
  const std::string_view text(name.data(), name.size());
  if (type == fb::MethodType_FinalizeAfterTensorUpdates) {
    return std::string(profiling::tensorUpdateGraphKey(text));
  }
  return std::string(text);
}

// The value by its kind; null for an event without one.
Json eventValue(const fb::EventEntry& event) {
  const profiling::EventValueReading value = profiling::readEventValue(event);
  switch (value.form) {
    case EventValueForm::Signed:
      return static_cast<std::int64_t>(value.bits);
    case EventValueForm::Unsigned:
      return value.bits;
    case EventValueForm::Float32: {
      float number;
      const auto low = static_cast<std::uint32_t>(value.bits);
      std::memcpy(&number, &low, sizeof number);
      return number;
    }
    case EventValueForm::Float64: {
      double number;
      std::memcpy(&number, &value.bits, sizeof number);
      return number;
    }
    case EventValueForm::Text:
      return std::string(value.text);
    case EventValueForm::Bytes:
      return std::to_string(value.bytes != nullptr ? value.bytes->size() : 0) + " bytes";
    case EventValueForm::None:
      break;
  }
  return nullptr;
}

Json eventsArgs(const flatbuffers::Vector<flatbuffers::Offset<fb::EventEntry>>& events) {
  Json list = Json::array();
  for (const fb::EventEntry* event : events) {
    Json item = Json::object();
    item["name"] = event->name() != nullptr ? whole(*event->name()) : "null";
    if (present(*event, fb::EventEntry::VT_IDENTIFIER)) item["identifier"] = event->identifier();
    Json value = eventValue(*event);
    if (!value.is_null()) {
      // Non-finite numbers have no JSON form.
      if (value.is_number_float() && !std::isfinite(value.get<double>())) value = value.dump();
      item["value"] = std::move(value);
    }
    if (present(*event, fb::EventEntry::VT_UNIT)) {
      const std::string unit = eventUnitEnumName(event->unit());
      item["unit"] = unit.empty() ? Json(event->unit()) : Json(unit);
    }
    if (event->subEvents() != nullptr && event->subEvents()->size() != 0) {
      item["sub_events"] = eventsArgs(*event->subEvents());
    }
    list.push_back(std::move(item));
  }
  return list;
}

}  // namespace

TraceWriter::TraceWriter(base::OutputFile& output) : output_(output) { output_.write("{\"traceEvents\":[\n"); }

void TraceWriter::message(const fb::MethodMessage& message) {
  const bool typed = present(message, fb::MethodMessage::VT_METHODTYPE);
  const std::int8_t type = message.methodType();
  const std::string typeName = typed ? methodTypeName(type) : std::string();
  std::string name = typeName;
  if (name.empty()) name = typed ? "method type " + std::to_string(type) : "no method type";
  int track = kSessionTrack;
  if (typed && message.name() != nullptr && isGraphMethod(type)) {
    track = graphTrack(graphOf(type, *message.name()));
  }

  // A message without a start sits at its timestamp.
  const std::uint64_t timestamp = profiling::messageTimestamp(message);
  const fb::MethodTiming* timing = message.timing();
  const std::uint64_t start = (timing != nullptr && timing->start()) ? *timing->start() : timestamp;

  Json event = Json::object();
  event["name"] = name;
  event["cat"] = typeName.empty() ? "unknown" : typeName;
  event["ph"] = "X";
  event["ts"] = start;
  event["dur"] = profiling::messageDuration(message);
  event["pid"] = kProcessId;
  event["tid"] = track;
  Json args = Json::object();
  if (message.name() != nullptr) args["name"] = whole(*message.name());
  args["timestamp"] = timestamp;
  if (present(message, fb::MethodMessage::VT_LEVEL)) args["level"] = message.level();
  if (message.events() != nullptr && message.events()->size() != 0) {
    args["events"] = eventsArgs(*message.events());
  }
  event["args"] = std::move(args);
  emit(event);
}

void TraceWriter::finish(const std::string& logName) {
  emit(metadata("process_name", kSessionTrack, Json{{"name", "vyn profiling log " + logName}}));
  emit(metadata("thread_name", kSessionTrack, Json{{"name", "session"}}));
  emit(metadata("thread_sort_index", kSessionTrack, Json{{"sort_index", 0}}));
  for (std::size_t i = 0; i < graphs_.size(); ++i) {
    const int track = static_cast<int>(i) + 1;
    emit(metadata("thread_name", track, Json{{"name", "graph " + graphs_[i]}}));
    emit(metadata("thread_sort_index", track, Json{{"sort_index", track}}));
  }
  output_.write("\n],\"displayTimeUnit\":\"ms\"}\n");
}

int TraceWriter::graphTrack(const std::string& graph) {
  const auto found = tracks_.find(graph);
  if (found != tracks_.end()) return found->second;
  graphs_.push_back(graph);
  const int track = static_cast<int>(graphs_.size());
  tracks_.emplace(graph, track);
  return track;
}

Json TraceWriter::metadata(const char* name, int track, Json args) {
  Json event = Json::object();
  event["name"] = name;
  event["ph"] = "M";
  event["pid"] = kProcessId;
  event["tid"] = track;
  event["args"] = std::move(args);
  return event;
}

void TraceWriter::emit(const Json& event) {
  if (!first_) output_.write(",\n");
  first_ = false;
  // Names from a log need not be UTF-8; replace what is not.
  output_.write(jsonDocumentText(event));
}

}  // namespace vyn::tools
