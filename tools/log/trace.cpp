// trace: a log as a timeline in the trace-event JSON format that trace viewers
// open. Every message becomes one complete event ("ph": "X") with its timing in
// microseconds; messages about one graph share that graph's track, everything
// else goes to the session track. The message's events travel along as args.
#include <cmath>
#include <unordered_map>

#include "format/log_frames.h"
#include "common/log_json.h"
#include "common/output_file.h"
#include "common/record_problem.h"
#include "common/schema_names.h"
#include "format/record_codec.h"
#include "format/record_format.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

namespace fb = ::vyn::profiling::fb;

constexpr int kProcessId = 1;
constexpr int kSessionTrack = 0;

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

// The graph a message belongs to; a tensor-update pass "g [pass 1]" is graph g.
std::string graphOf(const MessageModel& message) {
  std::string name = *message.name;
  if (*message.methodType == fb::MethodType_FinalizeAfterTensorUpdates) {
    const auto bracket = name.find(" [");
    if (bracket != std::string::npos) name.resize(bracket);
  }
  return name;
}

Json eventValue(const EventModel& event) {
  switch (event.valueKind.value_or(0)) {
    case fb::EventValueKind_Int64: return event.signedValue.value_or(0);
    case fb::EventValueKind_UInt64: return event.unsignedValue.value_or(0);
    case fb::EventValueKind_Float32: return event.floatValue.value_or(0.0f);
    case fb::EventValueKind_Float64: return event.doubleValue.value_or(0.0);
    case fb::EventValueKind_String: return event.stringValue.value_or("");
    case fb::EventValueKind_Bytes:
      return std::to_string(event.bytesValue ? event.bytesValue->size() : 0) + " bytes";
    default: return nullptr;
  }
}

Json eventsArgs(const std::vector<EventModel>& events) {
  Json list = Json::array();
  for (const EventModel& event : events) {
    Json item = Json::object();
    item["name"] = event.name.value_or("null");
    if (event.identifier) item["identifier"] = *event.identifier;
    Json value = eventValue(event);
    if (!value.is_null()) {
      // Non-finite numbers have no JSON form.
      if (value.is_number_float() && !std::isfinite(value.get<double>())) value = value.dump();
      item["value"] = std::move(value);
    }
    if (event.unit) {
      const std::string unit = eventUnitName(*event.unit);
      item["unit"] = unit.empty() ? Json(*event.unit) : Json(unit);
    }
    if (event.subEvents && !event.subEvents->empty()) item["subEvents"] = eventsArgs(*event.subEvents);
    list.push_back(std::move(item));
  }
  return list;
}

class TraceWriter {
 public:
  explicit TraceWriter(OutputFile& output) : output_(output) {
    output_.write("{\"traceEvents\":[\n");
  }

  void message(const MessageModel& message) {
    const bool typed = message.methodType.has_value();
    const std::string typeName = typed ? methodTypeName(*message.methodType) : std::string();
    std::string name = typeName;
    if (name.empty()) {
      name = typed ? "method type " + std::to_string(*message.methodType) : "no method type";
    }
    int track = kSessionTrack;
    if (typed && message.name && isGraphMethod(*message.methodType)) track = graphTrack(graphOf(message));

    std::uint64_t start = 0;
    std::uint64_t duration = 0;
    const std::uint64_t timestamp = message.timestamp ? message.timestamp->value.value_or(0) : 0;
    if (message.timing && message.timing->start) {
      start = *message.timing->start;
      if (message.timing->end && *message.timing->end >= start) duration = *message.timing->end - start;
    } else {
      start = timestamp;
    }

    Json event = Json::object();
    event["name"] = name;
    event["cat"] = typeName.empty() ? "unknown" : typeName;
    event["ph"] = "X";
    event["ts"] = start;
    event["dur"] = duration;
    event["pid"] = kProcessId;
    event["tid"] = track;
    Json args = Json::object();
    if (message.name) args["name"] = *message.name;
    args["timestamp"] = timestamp;
    if (message.level) args["level"] = *message.level;
    if (message.events && !message.events->empty()) args["events"] = eventsArgs(*message.events);
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
    output_.write(event.dump(-1, ' ', false, Json::error_handler_t::replace));
  }

  OutputFile& output_;
  bool first_ = true;
  std::vector<std::string> graphs_;
  std::unordered_map<std::string, int> tracks_;
};

std::string baseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int runTrace(const std::string& inputPath, const std::string& outputPath) {
  LogFrameReader reader;
  if (!reader.open(inputPath)) {
    reportProblem(inputPath, reader.problem());
    return 1;
  }
  OutputFile output;
  if (!output.open(outputPath)) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  TraceWriter trace(output);
  int status = 0;
  Frame frame;
  // Like a reader, stop at the first bad record; the timeline up to it is kept.
  for (bool more = true; more;) {
    const FrameStatus frameStatus = reader.next(frame);
    std::string problem;
    if (frameStatus == FrameStatus::Frame) {
      problem = recordProblem(frame.bytes.data(), frame.bytes.size());
      if (problem.empty()) {
        const RecordModel record = profiling::decodeRecord(frame.bytes.data(), frame.bytes.size());
        if (record.messages) {
          for (const MessageModel& message : *record.messages) trace.message(message);
        }
        continue;
      }
    } else if (frameStatus == FrameStatus::End || frameStatus == FrameStatus::StrayBytes) {
      break;
    } else {
      problem = frameProblem(frameStatus, frame, reader);
    }
    reportProblem(inputPath, "record " + std::to_string(frame.index) + " at byte offset " +
                                 std::to_string(frame.offset) + ": " + problem +
                                 " (the trace stops before it)");
    status = 1;
    more = false;
  }
  trace.finish(baseName(inputPath));
  if (!output.close()) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  return status;
}

}  // namespace vyn::tools
