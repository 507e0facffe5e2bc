// trace: a log as a timeline in the trace-event JSON format that trace viewers
// open. Every message becomes one complete event ("ph": "X") with its timing in
// microseconds; messages about one graph share that graph's track, everything
// else goes to the session track. The message's events travel along as args.
#include <cmath>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "analysis/json_document.h"
#include "analysis/load_meter.h"
#include "analysis/log_extent.h"
#include "base/output_file.h"
#include "format/event_value_reading.h"
#include "format/log_json.h"
#include "format/log_json_names.h"
#include "format/log_scanner.h"
#include "format/message_readings.h"
#include "format/record_format.h"
#include "log/command_output.h"
#include "log/commands.h"
#include "stats/execution_count.h"

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
      const std::string unit = eventUnitName(event->unit());
      item["unit"] = unit.empty() ? Json(event->unit()) : Json(unit);
    }
    if (event->subEvents() != nullptr && event->subEvents()->size() != 0) {
      item["sub_events"] = eventsArgs(*event->subEvents());
    }
    list.push_back(std::move(item));
  }
  return list;
}

class TraceWriter {
 public:
  explicit TraceWriter(base::OutputFile& output) : output_(output) { output_.write("{\"traceEvents\":[\n"); }

  void message(const fb::MethodMessage& message) {
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

  // Names the tracks and closes the document.
  void finish(const std::string& logName) {
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

 private:
  int graphTrack(const std::string& graph) {
    const auto found = tracks_.find(graph);
    if (found != tracks_.end()) return found->second;
    graphs_.push_back(graph);
    const int track = static_cast<int>(graphs_.size());
    tracks_.emplace(graph, track);
    return track;
  }

  static Json metadata(const char* name, int track, Json args) {
    Json event = Json::object();
    event["name"] = name;
    event["ph"] = "M";
    event["pid"] = kProcessId;
    event["tid"] = track;
    event["args"] = std::move(args);
    return event;
  }

  void emit(const Json& event) {
    if (!first_) output_.write(",\n");
    first_ = false;
    // Names from a log need not be UTF-8; replace what is not.
    output_.write(jsonDocumentText(event));
  }

  base::OutputFile& output_;
  bool first_ = true;
  std::vector<std::string> graphs_;
  std::unordered_map<std::string, int> tracks_;
};

std::string baseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int runTrace(const std::string& inputPath, const std::string& outputPath, bool verbose, bool strict) {
  profiling::LogScanner scanner;
  if (!scanner.open(inputPath)) {
    reportProblem(inputPath, scanner.fault().text());
    return 1;
  }
  base::OutputFile output;
  if (!output.open(outputPath, {inputPath})) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  TraceWriter trace(output);
  LoadMeter meter(verbose, scanner.fileSize());
  std::uint64_t executions = 0;
  int status = 0;
  std::uint64_t records = 0;
  // Like a reader, stop at the first bad record; the timeline up to it is kept.
  for (bool more = true; more;) {
    const profiling::LogScanner::Step step = scanner.next();
    meter.update(scanner.position(), scanner.fileSize());
    if (step == profiling::LogScanner::Step::Record) {
      // Verified: read in place, as a reader reads it.
      const auto* record = flatbuffers::GetRoot<fb::ProfileLogRecord>(scanner.frame().bytes.data());
      const auto* messages = record->messages();
      if (messages != nullptr) {
        for (const fb::MethodMessage* message : *messages) trace.message(*message);
      }
      executions += executionCount(*record);
      ++records;
      continue;
    }
    if (step == profiling::LogScanner::Step::End) {
      meter.finish(executions);
      break;
    }
    meter.clear();
    const profiling::LogFault& fault = scanner.fault();
    // A log bad from its first record leaves no timeline worth writing over a file.
    if (fault.record == 0) {
      reportProblem(inputPath, fault.text() + "; " + output.name() + " not written");
      output.discard();
      return 1;
    }
    if (readablePartFollows(fault)) {
      const LogExtent extent{records, fault, scanner.fileSize()};
      if (strict) {
        reportProblem(inputPath, strictRefusal(inputPath, extent));
        output.discard();
        return 1;
      }
      // The readable part was read whole: its summary comes first, as the analyses' does.
      meter.finish(executions);
      reportProblem(inputPath, partialLogWarning(inputPath, extent));
    } else {
      reportProblem(inputPath, fault.text() + " (the trace stops before it)");
      status = 1;
    }
    more = false;
  }
  trace.finish(baseName(inputPath));
  if (closeCommandOutput(output) != 0) return 1;
  return status;
}

}  // namespace vyn::tools
