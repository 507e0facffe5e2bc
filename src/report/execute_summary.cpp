// Summary sections about graph execution: the overall inference rate, the
// average, minimum and maximum execution of every graph, and the back-end
// library load latency.
#include <iomanip>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "capture/event_value.h"
#include "reader/vyn_profile_log_reader.h"
#include "report/inference_rate.h"
#include "report/text_layout.h"

namespace vyn::profiling {
namespace {

constexpr std::uint64_t kMaxUnsigned = std::numeric_limits<std::uint64_t>::max();

const std::string kIndent(sectionIndent, ' ');

// Mean of the samples, summed in double precision and truncated toward zero.
// Nothing for an empty list, which has no mean.
std::optional<std::uint64_t> meanQueueWait(const std::vector<std::uint64_t>& samples) {
  if (samples.empty()) return std::nullopt;
  double sum = 0.0;
  for (const std::uint64_t sample : samples) sum += static_cast<double>(sample);
  const double mean = sum / static_cast<double>(samples.size());
  // Samples near the top of the range can round up to 2^64, which has no u64 form.
  if (mean >= 18446744073709551616.0) return kMaxUnsigned;
  return static_cast<std::uint64_t>(mean);
}

// The queue wait of every graph in the given variant, by exact graph name (the
// first entry of a name counts); empty for a graph whose sample list is empty.
using QueueWaits = std::unordered_map<std::string_view, std::optional<std::uint64_t>>;

QueueWaits queueWaitsByGraph(const VynProfileLogReader& reader, VynProfileLogReader::ExecuteStatKind kind) {
  QueueWaits waits;
  if (kind == VynProfileLogReader::ExecuteStatKind::Average) {
    for (const QueueWaitSamples& entry : reader.queueWaitSamples)
      waits.emplace(entry.graphName, meanQueueWait(entry.samples));
    return waits;
  }
  const std::vector<QueueWaitValue>& values =
      kind == VynProfileLogReader::ExecuteStatKind::Min ? reader.queueWaitMin : reader.queueWaitMax;
  for (const QueueWaitValue& entry : values) waits.emplace(entry.graphName, entry.value);
  return waits;
}

}  // namespace

void VynProfileLogReader::writeExecuteOverallStats(std::ostream& out) {
  if (!hasExecuteOverallStat) return;
  const std::optional<float> figure = inferencesPerSecond(executeOverallStat.subEvents);
  if (!figure) return;
  out << std::fixed << std::setprecision(4);
  writeTitle(out, "Execute Stats (Overall):", 24);
  out << kIndent << "NetRun IPS (includes IO and misc. time): " << *figure << " inf/sec ";
  endLine(out);
  endLine(out);
}

void VynProfileLogReader::writeExecuteStats(std::ostream& out, ExecuteStatKind kind) {
  const char* title = "Execute Stats (Average):";
  const std::vector<GraphPhaseStat>* source = &executeAverage;
  if (kind == ExecuteStatKind::Min) {
    title = "Execute Stats (Min):";
    source = &executeMin;
  } else if (kind == ExecuteStatKind::Max) {
    title = "Execute Stats (Max):";
    source = &executeMax;
  }

  writeTitle(out, title, 24);
  out << "Total Inference Time: ";
  endLine(out);
  writeRule(out, 21);
  if (source->empty()) {
    endLine(out);
    return;
  }

  const QueueWaits queueWaits = hostRoundTrip ? queueWaitsByGraph(*this, kind) : QueueWaits{};
  for (std::size_t position = 0; position < source->size(); ++position) {
    const GraphPhaseStat& entry = (*source)[position];
    writeGraphHeading(out, position, entry.graphName);
    out << kIndent << "NetRun" << (hostRoundTrip ? " (Host Round-Trip)" : "") << ": "
        << entry.stat.value << " us";
    endLine(out);
    if (hostRoundTrip) {
      const auto found = queueWaits.find(entry.graphName);
      if (found != queueWaits.end() && found->second) {
        const std::uint64_t wait = *found->second;
        // A wait longer than the round trip itself leaves nothing, not a wrapped number.
        const std::uint64_t excluded = wait <= entry.stat.value ? entry.stat.value - wait : 0;
        out << kIndent << "NetRun (Host Round-Trip excluding queue wait): " << excluded;
        endLine(out);
      }
    }
    writeEventTree(out, entry.stat.subEvents, 1);
    endLine(out);
  }

  if (kind != ExecuteStatKind::Average || !writeDataFiles) return;
  // The averages hold no object-valued events, so their data come from every run.
  for (const GraphPhaseSeries& graph : executeSeries) {
    for (const PhaseStat& run : graph.stats) {
      for (const ProfileEvent& event : run.subEvents) {
        if (event.unit == EventUnit::Object) writeEventDataFile(event);
        for (const ProfileEvent& subEvent : event.subEvents)
          if (subEvent.unit == EventUnit::Object) writeEventDataFile(subEvent);
      }
    }
  }
}

void VynProfileLogReader::writeDynamicLibLoadStats(std::ostream& out) {
  if (!hasLibLoadStat || libLoadStat.subEvents.empty()) return;
  out << std::fixed << std::setprecision(4);
  writeTitle(out, "Dynamic Lib Load Stats:", 24);
  out << kIndent << "Backend Latency: " << eventValueAsUnsigned(libLoadStat.subEvents.front().value)
      << " us";
  endLine(out);
  endLine(out);
}

}  // namespace vyn::profiling
