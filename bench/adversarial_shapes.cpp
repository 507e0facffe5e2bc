#include "adversarial_shapes.h"

#include <cstdio>
#include <stdexcept>

#include "format/record_codec.h"
#include "profile_log_generated.h"

namespace vyn::bench {
namespace {

namespace fb = profiling::fb;
using profiling::EventModel;
using profiling::MessageModel;
using profiling::RecordModel;

constexpr std::size_t kMessagesPerRecord = 64;

// Writes messages as length-prefixed records of kMessagesPerRecord messages,
// the first one with a header.
class LogWriter {
 public:
  explicit LogWriter(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "wb")) {
    if (file_ == nullptr) throw std::runtime_error("cannot write " + path);
    record_.header.emplace();
    record_.header->generatorName = "vyn_reader_bench";
    record_.messages.emplace();
  }
  ~LogWriter() {
    if (file_ != nullptr) std::fclose(file_);
  }
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  void add(fb::MethodType type, const std::string& graph, std::vector<EventModel> events) {
    MessageModel message;
    message.timestamp = profiling::TimestampModel{clock_, {}};
    message.methodType = static_cast<std::int8_t>(type);
    message.timing = profiling::TimingModel{clock_, clock_ + 100, {}, {}, {}};
    message.name = graph;
    if (!events.empty()) message.events = std::move(events);
    clock_ += 200;
    record_.messages->push_back(std::move(message));
    if (record_.messages->size() == kMessagesPerRecord) flush();
  }

  void close() {
    if (!record_.messages->empty()) flush();
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) throw std::runtime_error("cannot write " + path_);
  }

 private:
  void flush() {
    flatbuffers::FlatBufferBuilder builder;
    profiling::encodeRecord(record_, builder);
    const std::uint32_t length = builder.GetSize();
    const unsigned char prefix[4] = {static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
                                     static_cast<unsigned char>(length >> 16),
                                     static_cast<unsigned char>(length >> 24)};
    if (std::fwrite(prefix, 1, 4, file_) != 4 || std::fwrite(builder.GetBufferPointer(), 1, length, file_) != length)
      throw std::runtime_error("cannot write " + path_);
    record_.header.reset();
    record_.messages->clear();
  }

  std::string path_;
  std::FILE* file_;
  RecordModel record_;
  std::uint64_t clock_ = 1000;
};

EventModel event(std::string name, std::uint32_t identifier) {
  EventModel e;
  e.name = std::move(name);
  e.identifier = identifier;
  e.valueKind = fb::EventValueKind_UInt64;
  e.unsignedValue = 5;
  e.unit = fb::EventUnit_Microseconds;
  return e;
}

// 20,000 executions of one graph, each with 20 events named after the
// execution ("run 7 ev 3"), each event with two sub-events named afresh too
// ("run 7 ev 3a", "run 7 ev 3b"): about 69 MB.
void freshEventNames(const std::string& path) {
  LogWriter log(path);
  for (int run = 0; run < 20000; ++run) {
    const std::string prefix = "run " + std::to_string(run) + " ev ";
    std::vector<EventModel> events;
    for (int k = 0; k < 20; ++k) {
      const std::string name = prefix + std::to_string(k);
      EventModel parent = event(name, 3000 + k);
      parent.subEvents = std::vector<EventModel>{event(name + "a", 3100 + k), event(name + "b", 3200 + k)};
      events.push_back(std::move(parent));
    }
    log.add(fb::MethodType_Execute, "graph", std::move(events));
  }
  log.close();
}

// 2,000 executions of one graph, each with 1,000 events that carry no field at
// all, the least an event can take in a log (8 bytes): about 16 MB.
void emptyEvents(const std::string& path) {
  LogWriter log(path);
  for (int run = 0; run < 2000; ++run) log.add(fb::MethodType_Execute, "graph", std::vector<EventModel>(1000));
  log.close();
}

// 60,000 graphs, each composed, finalized and executed once.
void manyGraphs(const std::string& path) {
  LogWriter log(path);
  for (int graph = 0; graph < 60000; ++graph) {
    const std::string name = "graph_" + std::to_string(graph);
    log.add(fb::MethodType_ComposeGraph, name, {});
    log.add(fb::MethodType_Finalize, name, {event("prepare", 310)});
    log.add(fb::MethodType_ExecuteRoundTrip, name, {event("queue wait", 405)});
  }
  log.close();
}

// 150,000 round trips of one graph, each followed by a message with its events.
void lateEvents(const std::string& path) {
  LogWriter log(path);
  for (int run = 0; run < 150000; ++run) {
    log.add(fb::MethodType_ExecuteRoundTrip, "graph", {});
    log.add(fb::MethodType_ExecuteEvents, "graph", {event("queue wait", 405), event("stage", 3000)});
  }
  log.close();
}

}  // namespace

const std::vector<Shape>& adversarialShapes() {
  static const std::vector<Shape> shapes = {
      {"fresh-names", "executions that name their events afresh", freshEventNames},
      {"many-graphs", "60,000 graphs composed, finalized and executed once", manyGraphs},
      {"late-events", "150,000 round trips whose events come in the next message", lateEvents},
      {"empty-events", "executions of 1,000 events with no field set", emptyEvents},
  };
  return shapes;
}

}  // namespace vyn::bench
