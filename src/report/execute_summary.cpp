// Summary sections about graph execution: the overall inference rate, the
// average, minimum and maximum execution of every graph, and the back-end
// library load latency.
#include <limits>
#include <numeric>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/text_buffer.h"
#include "report/summary_sections.h"
#include "report/text_layout.h"
#include "stats/inference_rate.h"

namespace vyn::profiling {
namespace {

// Mean of the samples, summed in double precision and truncated toward zero.
// Nothing for an empty list, which has no mean.
std::optional<std::uint64_t> meanQueueWait(const std::vector<std::uint64_t>& samples) {
  if (samples.empty()) return std::nullopt;
  const double sum = std::accumulate(samples.begin(), samples.end(), 0.0);
  const double mean = sum / static_cast<double>(samples.size());
  // Samples near the top of the range can round up to 2^64, which has no u64 form.
  if (mean >= 18446744073709551616.0) return std::numeric_limits<std::uint64_t>::max();
  return static_cast<std::uint64_t>(mean);
}

// The queue wait of every graph in the given variant, by graph (the first entry
// of a graph counts); empty for a graph whose sample list is empty.
using QueueWaits = std::unordered_map<TextId, std::optional<std::uint64_t>>;

QueueWaits queueWaitsByGraph(const Statistics& statistics, ExecuteStatKind kind) {
  QueueWaits waits;
  if (kind == ExecuteStatKind::Average) {
    for (const QueueWaitSamples& entry : statistics.queueWaitSamples)
      waits.emplace(entry.graph, meanQueueWait(entry.samples));
    return waits;
  }
  const std::vector<QueueWaitValue>& values =
      kind == ExecuteStatKind::Min ? statistics.queueWaitMin : statistics.queueWaitMax;
  for (const QueueWaitValue& entry : values) waits.emplace(entry.graph, entry.value);
  return waits;
}

// The raw bytes of every object-valued event of every execution and of their
// direct sub-events: the averages hold none of them.
void writeExecutionDataFiles(const LogModel& model, DataFileWriter& dataFiles) {
  for (const GraphSeries& graph : model.executions) {
    for (const Occurrence& run : graph.occurrences) {
      walkEvents(model.list(run.events), [&dataFiles](const EventItem& event) {
        if (event.unit == EventUnit::Object) dataFiles.write(event.detailText, event.bytes);
        return event.depth == 0;
      });
    }
  }
}

}  // namespace

void writeExecuteOverallStats(base::TextBuffer& out, const ReportInput& input) {
  const LogModel& model = input.model;
  if (!model.executeOverall) return;
  const std::optional<float> figure = inferencesPerSecond(model.list(model.executeOverall->events));
  if (!figure) return;
  writeTitle(out, "Execute Stats (Overall):", 24);
  out.blanks(sectionIndent).text("NetRun IPS (includes IO and misc. time): ");
  out.fixed(*figure, 4).text(" inf/sec ");
  out.endLine();
  out.endLine();
}

void writeExecuteStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events, ExecuteStatKind kind) {
  const LogModel& model = input.model;
  const SeriesStatistics& executions = input.statistics.executions;
  const char* title = kind == ExecuteStatKind::Average ? "Execute Stats (Average):"
                      : kind == ExecuteStatKind::Min   ? "Execute Stats (Min):"
                                                       : "Execute Stats (Max):";
  const std::vector<GraphAverage>* averages =
      kind == ExecuteStatKind::Average ? &executions.average.of(model) : nullptr;
  const std::vector<GraphExtreme>& extremes = kind == ExecuteStatKind::Min ? executions.minimum : executions.maximum;
  writeTitle(out, title, 24);
  out.text("Total Inference Time: ");
  out.endLine();
  writeRule(out, 21);
  if ((averages != nullptr ? averages->size() : extremes.size()) == 0) {
    out.endLine();
    return;
  }

  const QueueWaits queueWaits = model.hostRoundTrip ? queueWaitsByGraph(input.statistics, kind) : QueueWaits{};
  const auto writeEntry = [&](std::size_t position, TextId graph, std::uint64_t value, const EventList& list) {
    writeGraphHeading(out, position, model.text(graph));
    out.blanks(sectionIndent).text("NetRun").text(model.hostRoundTrip ? " (Host Round-Trip)" : "");
    out.text(": ").number(value).text(" us");
    out.endLine();
    if (model.hostRoundTrip) {
      const auto found = queueWaits.find(graph);
      if (found != queueWaits.end() && found->second) {
        const std::uint64_t wait = *found->second;
        // A wait longer than the round trip itself leaves nothing, not a wrapped number.
        const std::uint64_t excluded = wait <= value ? value - wait : 0;
        out.blanks(sectionIndent).text("NetRun (Host Round-Trip excluding queue wait): ").number(excluded);
        out.endLine();
      }
    }
    events.tree(out, list, 1);
    out.endLine();
  };
  forEachGraphEntry(model, averages, &extremes, writeEntry);

  if (kind == ExecuteStatKind::Average && input.dataFiles != nullptr) {
    writeExecutionDataFiles(model, *input.dataFiles);
  }
}

void writeDynamicLibLoadStats(base::TextBuffer& out, const ReportInput& input) {
  const LogModel& model = input.model;
  if (!model.libraryLoad || model.libraryLoad->events.empty()) return;
  const EventRow& first = *model.events.rows(model.libraryLoad->events);
  writeTitle(out, "Dynamic Lib Load Stats:", 24);
  out.blanks(sectionIndent).text("Backend Latency: ").number(valueAsUnsigned(rowValue(first, model.texts)));
  out.text(" us");
  out.endLine();
  out.endLine();
}

}  // namespace vyn::profiling
