// synth: a synthetic but realistic log, for demos, tests and benchmarks.
//
// The session runs as a runtime would: load the back-end library, initialise
// from a context binary, compose and finalize every graph, execute the graphs in
// rounds, report the overall figure, de-initialise. Each execution carries the
// tree of back-end events of ExecutionShape, valued by ExecutionTiming. Records
// are built and written one at a time, so memory stays bounded whatever the
// size of the log.
#include <cstdio>

#include "base/output_file.h"
#include "format/log_json_entry.h"
#include "format/record_codec.h"
#include "format/record_format.h"
#include "synth/execution_shape.h"
#include "synth/execution_timing.h"
#include "synth/shift_targets.h"
#include "synth/synth_log.h"
#include "synth/synth_options.h"
#include "synth/synth_random.h"

namespace vyn::tools {
namespace {

namespace fb = ::vyn::profiling::fb;

constexpr std::uint64_t kEpochStart = 1735689600000000ULL;  // 2025-01-01T00:00:00Z in us
constexpr std::uint64_t kSteadyStart = 5000000;
constexpr std::uint64_t kProgressStep = 64ULL << 20;

EventModel valueEvent(std::string name, std::uint32_t identifier, std::uint64_t value, fb::EventUnit unit) {
  EventModel event;
  event.name = std::move(name);
  event.identifier = identifier;
  event.valueKind = fb::EventValueKind_UInt64;
  event.unsignedValue = value;
  event.unit = unit;
  return event;
}

class SynthLog {
 public:
  SynthLog(const SynthOptions& options, const ExecutionShape& shape, std::vector<ShiftTarget> shifts,
           base::OutputFile& output)
      : options_(options),
        shape_(shape),
        timing_(shape, std::move(shifts)),
        output_(output),
        random_(options.seed),
        clock_(kSteadyStart) {
    for (std::uint32_t g = 0; g < options_.graphs; ++g) graphs_.push_back(synthGraphName(g));
    pending_.messages.emplace();
    pending_.messages->reserve(options_.messagesPerRecord);
    pending_.header = header();
  }

  void run() {
    phase(fb::MethodType_DynamicLibLoad, "", 180,
          {valueEvent("Backend library load", 10, 172, fb::EventUnit_Microseconds)});
    phase(fb::MethodType_Init, "synth_context", 2400, {});
    phase(fb::MethodType_InitEvents, "", 2100, createFromBinaryEvents());
    for (const std::string& graph : graphs_) phase(fb::MethodType_ComposeGraph, graph, 900, {});
    for (const std::string& graph : graphs_) phase(fb::MethodType_Finalize, graph, 1500, finalizeEvents());

    std::uint64_t executed = 0;
    std::uint64_t executeTime = 0;
    for (std::uint64_t round = 0; options_.targetSize != 0 ? !reachedTarget() : round < options_.executions; ++round) {
      for (std::uint32_t graph = 0; graph < options_.graphs; ++graph) {
        executeTime += execute(graph);
        ++executed;
      }
    }
    phase(fb::MethodType_ExecuteOverall, "", executeTime + 20,
          {valueEvent("duration", 0, executeTime, fb::EventUnit_Microseconds),
           valueEvent("inferences", 0, executed, fb::EventUnit_Count)});
    phase(fb::MethodType_DeInit, "synth_context", 650,
          {valueEvent("Release context", 801, 410, fb::EventUnit_Microseconds)});
    flush();
    if (progress_) std::fprintf(stderr, "\rsynth: %llu MiB written\n", mebibytes());
  }

  void showProgress(bool on) { progress_ = on; }

 private:
  HeaderModel header() const {
    HeaderModel header;
    header.timeScale = 1.0f;
    header.epochTimestamp = kEpochStart;
    header.steadyClockTimestamp = kSteadyStart;
    header.version = HeaderVersionModel{2, 51, 0, 0};
    header.generatorVersion = "v2.51.0";
    header.backendVersion = "xtu-backend 4.2.0 (synthetic)";
    header.generatorName = "vyn-profile-log synth";
    return header;
  }

  // One timed message starting now; the clock moves past it.
  MessageModel message(fb::MethodType type, const std::string& name, std::uint64_t duration) {
    MessageModel message;
    const std::uint64_t start = clock_;
    message.timestamp = TimestampModel{start, {}};
    message.methodType = static_cast<std::int8_t>(type);
    message.timing = TimingModel{start, start + duration, {}, {}, {}};
    if (!name.empty()) message.name = name;
    clock_ = start + duration + random_.between(20, 80);
    return message;
  }

  void phase(fb::MethodType type, const std::string& name, std::uint64_t duration, std::vector<EventModel> events) {
    MessageModel entry = message(type, name, duration);
    if (!events.empty()) entry.events = std::move(events);
    add(std::move(entry));
  }

  std::vector<EventModel> createFromBinaryEvents() {
    EventModel load = valueEvent("Context load", 120, 1830, fb::EventUnit_Microseconds);
    load.subEvents = std::vector<EventModel>{valueEvent("Binary size", 121, 4194304, fb::EventUnit_Bytes),
                                             valueEvent("Hardware units", kHardwareUnitsEvent, 7, fb::EventUnit_None)};
    return {std::move(load), valueEvent("Weights upload", 122, 240, fb::EventUnit_Microseconds)};
  }

  std::vector<EventModel> finalizeEvents() {
    return {valueEvent("Graph prepare", 310, random_.between(900, 1300), fb::EventUnit_Microseconds),
            valueEvent("Scratch memory", 311, 1048576, fb::EventUnit_Bytes)};
  }

  // Writes the event at node of the shape, with its sub-events, valued by the
  // timing, into event.
  void fill(EventModel& event, std::uint32_t node) const {
    const std::vector<ShapeNode>& nodes = shape_.nodes();
    const ShapeNode& shaped = nodes[node];
    event.name = shaped.name;
    event.identifier = shaped.identifier;
    if (shaped.role != SynthRole::BurstBlock) {
      event.valueKind = fb::EventValueKind_UInt64;
      event.unsignedValue = timing_.values()[node];
      event.unit = unitOf(shaped.role);
    }
    if (shaped.end > node + 1) {
      event.subEvents.emplace();
      fillList(*event.subEvents, node + 1, shaped.end);
    }
  }

  // The events at the nodes from first to end that are not below another.
  void fillList(std::vector<EventModel>& events, std::uint32_t first, std::uint32_t end) const {
    const std::vector<ShapeNode>& nodes = shape_.nodes();
    std::size_t count = 0;
    for (std::uint32_t node = first; node < end; node = nodes[node].end) ++count;
    events.resize(count);
    std::size_t at = 0;
    for (std::uint32_t node = first; node < end; node = nodes[node].end) fill(events[at++], node);
  }

  static fb::EventUnit unitOf(SynthRole role) {
    switch (role) {
      case SynthRole::HardwareUnits:
        return fb::EventUnit_None;
      case SynthRole::Transfer:
        return fb::EventUnit_Bytes;
      case SynthRole::Cycles:
        return fb::EventUnit_Cycles;
      case SynthRole::BurstSetting:
        return fb::EventUnit_Count;
      default:
        return fb::EventUnit_Microseconds;
    }
  }

  // One execution of a graph; returns its duration.
  std::uint64_t execute(std::uint32_t graph) {
    const std::uint64_t duration = timing_.draw(graph, random_);
    MessageModel entry = message(options_.roundTrip ? fb::MethodType_ExecuteRoundTrip : fb::MethodType_Execute,
                                 graphs_[graph], duration);
    entry.events.emplace();
    fillList(*entry.events, 0, static_cast<std::uint32_t>(shape_.nodes().size()));
    add(std::move(entry));
    return duration;
  }

  void add(MessageModel message) {
    pending_.messages->push_back(std::move(message));
    if (pending_.messages->size() >= options_.messagesPerRecord) flush();
  }

  void flush() {
    if (pending_.messages->empty() && !pending_.header) return;
    profiling::encodeRecord(pending_, builder_);
    const std::uint32_t length = builder_.GetSize();
    const auto prefix = profiling::lengthPrefix(length);
    output_.write(prefix.data(), prefix.size());
    output_.write(builder_.GetBufferPointer(), length);
    pending_.header.reset();
    pending_.messages->clear();
    if (progress_ && output_.bytesWritten() >= nextProgress_) {
      std::fprintf(stderr, "\rsynth: %llu MiB written", mebibytes());
      nextProgress_ += kProgressStep;
    }
  }

  bool reachedTarget() const { return output_.bytesWritten() >= options_.targetSize; }
  unsigned long long mebibytes() const { return output_.bytesWritten() >> 20; }

  const SynthOptions& options_;
  const ExecutionShape& shape_;
  ExecutionTiming timing_;
  base::OutputFile& output_;
  SynthRandom random_;
  std::uint64_t clock_;
  std::vector<std::string> graphs_;
  RecordModel pending_;
  flatbuffers::FlatBufferBuilder builder_{1 << 20};
  bool progress_ = false;
  std::uint64_t nextProgress_ = kProgressStep;
};

}  // namespace

void writeSynthLog(const SynthOptions& options, const ExecutionShape& shape, std::vector<ShiftTarget> shifts,
                   base::OutputFile& output, bool progress) {
  SynthLog log(options, shape, std::move(shifts), output);
  log.showProgress(progress);
  log.run();
}

}  // namespace vyn::tools
