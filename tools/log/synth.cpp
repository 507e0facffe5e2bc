// synth: a synthetic but realistic log, for demos and benchmarks.
//
// The session runs as a runtime would: load the back-end library, initialise
// from a context binary, compose and finalize every graph, execute the graphs in
// rounds, report the overall figure, de-initialise. Each execution carries a tree
// of back-end events (layer timings with hardware-unit sets, a burst block and,
// for host round trips, one queue-wait event). Records are built and written one
// at a time, so memory stays bounded whatever the size of the log.
#include <unistd.h>

#include <cstdio>

#include "base/output_file.h"
#include "common/log_entry.h"
#include "format/record_codec.h"
#include "format/record_format.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

namespace fb = ::vyn::profiling::fb;

// Back-end event identifiers with a meaning to the reports.
constexpr std::uint32_t kQueueWait = 405;
constexpr std::uint32_t kBurstBlock = 2004;
constexpr std::uint32_t kBurstMode = 2005;
constexpr std::uint32_t kBurstCount = 2010;
constexpr std::uint32_t kBurstId = 2017;
constexpr std::uint32_t kHardwareUnits = 5004;
constexpr std::uint32_t kLayerBase = 3000;

constexpr std::uint64_t kEpochStart = 1735689600000000ULL;  // 2025-01-01T00:00:00Z in us
constexpr std::uint64_t kSteadyStart = 5000000;
constexpr std::uint64_t kProgressStep = 64ULL << 20;

// splitmix64: small, fast, and the same sequence everywhere for a seed.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // A number in [low, high].
  std::uint64_t between(std::uint64_t low, std::uint64_t high) {
    return low + next() % (high - low + 1);
  }

 private:
  std::uint64_t state_;
};

EventModel valueEvent(std::string name, std::uint32_t identifier, std::uint64_t value,
                      fb::EventUnit unit) {
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
  SynthLog(const SynthOptions& options, base::OutputFile& output)
      : options_(options), output_(output), random_(options.seed), clock_(kSteadyStart) {
    for (std::uint32_t g = 0; g < options_.graphs; ++g) graphs_.push_back("graph_" + std::to_string(g));
    pending_.messages.emplace();
    pending_.messages->reserve(options_.messagesPerRecord);
    pending_.header = header();
  }

  void run() {
    phase(fb::MethodType_DynamicLibLoad, "", 180, {valueEvent("Backend library load", 10, 172,
                                                              fb::EventUnit_Microseconds)});
    phase(fb::MethodType_Init, "synth_context", 2400, {});
    phase(fb::MethodType_InitEvents, "", 2100, createFromBinaryEvents());
    for (const std::string& graph : graphs_) phase(fb::MethodType_ComposeGraph, graph, 900, {});
    for (const std::string& graph : graphs_) phase(fb::MethodType_Finalize, graph, 1500, finalizeEvents());

    std::uint64_t executed = 0;
    std::uint64_t executeTime = 0;
    for (std::uint64_t round = 0; options_.targetSize != 0 ? !reachedTarget() : round < options_.executions;
         ++round) {
      for (const std::string& graph : graphs_) {
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

  void phase(fb::MethodType type, const std::string& name, std::uint64_t duration,
             std::vector<EventModel> events) {
    MessageModel entry = message(type, name, duration);
    if (!events.empty()) entry.events = std::move(events);
    add(std::move(entry));
  }

  std::vector<EventModel> createFromBinaryEvents() {
    EventModel load = valueEvent("Context load", 120, 1830, fb::EventUnit_Microseconds);
    load.subEvents = std::vector<EventModel>{
        valueEvent("Binary size", 121, 4194304, fb::EventUnit_Bytes),
        valueEvent("Hardware units", kHardwareUnits, 7, fb::EventUnit_None)};
    return {std::move(load), valueEvent("Weights upload", 122, 240, fb::EventUnit_Microseconds)};
  }

  std::vector<EventModel> finalizeEvents() {
    return {valueEvent("Graph prepare", 310, random_.between(900, 1300), fb::EventUnit_Microseconds),
            valueEvent("Scratch memory", 311, 1048576, fb::EventUnit_Bytes)};
  }

  // S sub-events below parent, and theirs below them, down to `levels`.
  void addChildren(EventModel& parent, std::uint32_t levels, bool burst) {
    if (levels == 0 || options_.subEvents == 0) return;
    std::vector<EventModel> children;
    children.reserve(options_.subEvents);
    for (std::uint32_t s = 0; s < options_.subEvents; ++s) {
      EventModel child;
      if (burst) {
        static constexpr struct {
          const char* name;
          std::uint32_t identifier;
        } kBurstSettings[] = {{"Burst mode", kBurstMode}, {"Burst count", kBurstCount}, {"Burst id", kBurstId}};
        const auto& setting = kBurstSettings[s % 3];
        child = valueEvent(setting.name, setting.identifier, random_.between(1, 16), fb::EventUnit_Count);
      } else if (s % 3 == 0) {
        child = valueEvent("Hardware units", kHardwareUnits, random_.between(1, 7), fb::EventUnit_None);
      } else if (s % 3 == 1) {
        child = valueEvent("Compute", kLayerBase + 900, random_.between(2000, 90000), fb::EventUnit_Cycles);
      } else {
        child = valueEvent("DMA transfer", kLayerBase + 901, random_.between(4096, 1 << 20),
                           fb::EventUnit_Bytes);
      }
      addChildren(child, levels - 1, burst);
      children.push_back(std::move(child));
    }
    parent.subEvents = std::move(children);
  }

  // One execution of graph; returns its duration.
  std::uint64_t execute(const std::string& graph) {
    const std::uint64_t duration = random_.between(800, 2000);
    MessageModel entry = message(
        options_.roundTrip ? fb::MethodType_ExecuteRoundTrip : fb::MethodType_Execute, graph, duration);
    std::vector<EventModel> events;
    events.reserve(options_.events);
    for (std::uint32_t k = 0; k < options_.events; ++k) {
      EventModel event;
      bool burst = false;
      if (k == 0 && options_.roundTrip) {
        event = valueEvent("Queue wait", kQueueWait, random_.between(5, duration / 4), fb::EventUnit_Microseconds);
      } else if (k == 1) {
        event.name = "Burst";
        event.identifier = kBurstBlock;
        burst = true;
      } else {
        event = valueEvent("Layer " + std::to_string(k), kLayerBase + k, random_.between(10, 400),
                           fb::EventUnit_Microseconds);
      }
      addChildren(event, options_.depth, burst);
      events.push_back(std::move(event));
    }
    entry.events = std::move(events);
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
    const std::uint8_t prefix[4] = {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                                    static_cast<std::uint8_t>(length >> 16),
                                    static_cast<std::uint8_t>(length >> 24)};
    output_.write(prefix, sizeof prefix);
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
  base::OutputFile& output_;
  Random random_;
  std::uint64_t clock_;
  std::vector<std::string> graphs_;
  RecordModel pending_;
  flatbuffers::FlatBufferBuilder builder_{1 << 20};
  bool progress_ = false;
  std::uint64_t nextProgress_ = kProgressStep;
};

}  // namespace

int runSynth(const SynthOptions& options) {
  base::OutputFile output;
  if (!output.open(options.outputPath)) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  SynthLog log(options, output);
  log.showProgress(::isatty(STDERR_FILENO) == 1);
  log.run();
  if (!output.close()) {
    reportProblem(output.name(), output.problem());
    output.discard();
    return 1;
  }
  return 0;
}

}  // namespace vyn::tools
