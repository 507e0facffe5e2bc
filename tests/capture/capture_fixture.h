// Helpers for the handler tests: messages as the handlers see them, and a text
// picture of the reader's state for before/after comparisons.
#ifndef VYN_TESTS_CAPTURE_CAPTURE_FIXTURE_H_
#define VYN_TESTS_CAPTURE_CAPTURE_FIXTURE_H_

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "format/record_format.h"
#include "reader/vyn_profile_log_reader.h"
#include "support/log_builder.h"

namespace vyn::testing {

// One verified record holding the given messages.
class MessageBuffer {
 public:
  explicit MessageBuffer(std::vector<Message> messages) {
    Record record;
    record.messages = std::move(messages);
    bytes_ = buildRecord(record);
    if (!profiling::verifyRecord(bytes_.data(), bytes_.size())) bytes_.clear();
  }
  explicit MessageBuffer(Message message) : MessageBuffer(std::vector<Message>{std::move(message)}) {}

  bool valid() const { return !bytes_.empty(); }
  std::size_t size() const { return root()->messages()->size(); }
  const profiling::fb::MethodMessage& operator[](std::size_t index) const {
    return *root()->messages()->Get(static_cast<flatbuffers::uoffset_t>(index));
  }

 private:
  const profiling::fb::ProfileLogRecord* root() const {
    return flatbuffers::GetRoot<profiling::fb::ProfileLogRecord>(bytes_.data());
  }
  std::vector<std::uint8_t> bytes_;
};

// Runs one handler on one message. The message's bytes are gone when this
// returns, as they are after the loader's record iteration, so whatever the
// handler kept must be its own copy.
template <typename Handler>
bool runHandler(Handler handler, profiling::VynProfileLogReader& reader, const Message& message) {
  MessageBuffer buffer(message);
  if (!buffer.valid()) throw std::runtime_error("test message does not verify");
  return handler(reader, buffer[0]);
}

inline std::vector<std::uint32_t> identifiers(const std::vector<profiling::ProfileEvent>& events) {
  std::vector<std::uint32_t> ids;
  for (const auto& event : events) ids.push_back(event.identifier);
  return ids;
}

inline std::vector<std::string> names(const std::vector<profiling::ProfileEvent>& events) {
  std::vector<std::string> list;
  for (const auto& event : events) list.push_back(event.name);
  return list;
}

namespace detail {

inline void describeEvents(std::ostream& out, const std::vector<profiling::ProfileEvent>& events) {
  out << '[';
  for (const auto& event : events) {
    out << event.name << '#' << event.identifier << '=' << event.value.dataType << ':'
        << event.value.payload << 'x' << event.mergeCount;
    describeEvents(out, event.subEvents);
    out << ' ';
  }
  out << ']';
}

inline void describeStat(std::ostream& out, const profiling::PhaseStat& stat) {
  out << '{' << stat.value << ',' << stat.timestamp << ",'" << stat.name << "',";
  describeEvents(out, stat.subEvents);
  out << '}';
}

inline void describeSeries(std::ostream& out, const char* label,
                           const std::vector<profiling::GraphPhaseSeries>& series) {
  out << label << ':';
  for (const auto& entry : series) {
    out << " '" << entry.graphName << "'";
    for (const auto& stat : entry.stats) describeStat(out, stat);
  }
  out << '\n';
}

inline void describeStats(std::ostream& out, const char* label,
                          const std::vector<profiling::GraphPhaseStat>& stats) {
  out << label << ':';
  for (const auto& entry : stats) {
    out << " '" << entry.graphName << "'";
    describeStat(out, entry.stat);
  }
  out << '\n';
}

}  // namespace detail

// Every member that the handlers and the aggregation write, as text.
inline std::string describe(const profiling::VynProfileLogReader& r) {
  using namespace detail;
  std::ostringstream out;
  out << "init: " << r.initTimestamp << ' ' << r.initTime << ' ' << r.initMessageTimestamp << ' '
      << r.initMessageTime << " '" << r.initName << "'\n";
  out << "compose: " << r.composeTimestamp << ' ' << r.composeTime << " '" << r.composeName
      << "'\n";
  out << "initStat " << r.hasInitStat << ' ';
  describeStat(out, r.initStat);
  out << "\ninitAltStat " << r.hasInitAltStat << ' ';
  describeStat(out, r.initAltStat);
  out << "\nflags: apply " << r.hasApplyBinarySection << " update " << r.hasUpdateBinarySection
      << " tensor " << r.hasFinalizeAfterTensorUpdates << " context " << r.hasContextRetrieval
      << " section " << r.hasContextSectionRetrieval << " finalize " << r.hasFinalize
      << " finalizeStats " << r.hasFinalizeStats << " roundTrip " << r.hostRoundTrip << '\n';
  out << "contextBinaryStats:";
  for (const auto& [key, stat] : r.contextBinaryStats) {
    out << " '" << key << "'";
    describeStat(out, stat);
  }
  out << "\ncontextSectionSeries:";
  for (const auto& [key, stats] : r.contextSectionSeries) {
    out << " '" << key << "'";
    for (const auto& stat : stats) describeStat(out, stat);
  }
  out << '\n';
  describeStats(out, "finalizeStats", r.finalizeStats);
  describeSeries(out, "executeSeries", r.executeSeries);
  describeSeries(out, "applySectionSeries", r.applySectionSeries);
  describeSeries(out, "tensorUpdateSeries", r.tensorUpdateSeries);
  describeStats(out, "executeAverage", r.executeAverage);
  describeStats(out, "executeMax", r.executeMax);
  describeStats(out, "executeMin", r.executeMin);
  describeStats(out, "applySectionAverage", r.applySectionAverage);
  describeStats(out, "applySectionMax", r.applySectionMax);
  describeStats(out, "applySectionMin", r.applySectionMin);
  describeStats(out, "tensorUpdateAverage", r.tensorUpdateAverage);
  describeStats(out, "tensorUpdateMax", r.tensorUpdateMax);
  describeStats(out, "tensorUpdateMin", r.tensorUpdateMin);
  describeStats(out, "updateSectionStats", r.updateSectionStats);
  out << "queueWait:";
  for (const auto& entry : r.queueWaitSamples) {
    out << " '" << entry.graphName << "'";
    for (auto sample : entry.samples) out << ' ' << sample;
  }
  for (const auto& entry : r.queueWaitMax) out << " max '" << entry.graphName << "' " << entry.value;
  for (const auto& entry : r.queueWaitMin) out << " min '" << entry.graphName << "' " << entry.value;
  out << "\nexecuteOverall " << r.hasExecuteOverallStat << ' ';
  describeStat(out, r.executeOverallStat);
  out << "\ndeInit ";
  describeStat(out, r.deInitStat);
  out << "\nlibLoad " << r.hasLibLoadStat << ' ';
  describeStat(out, r.libLoadStat);
  out << "\nheader: " << r.headerCaptured << " '" << r.generatorName << "' "
      << r.generatedByUpdater << " '" << r.generatorVersion << "' '" << r.backendVersion
      << "' writeDataFiles " << r.writeDataFiles << '\n';
  return out.str();
}

}  // namespace vyn::testing

#endif  // VYN_TESTS_CAPTURE_CAPTURE_FIXTURE_H_
