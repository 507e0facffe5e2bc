// The JSON form of `stats`, as docs/stats.schema.json describes it: numbers as
// numbers, every figure with its unit, every event's figures under a key that
// names their base (per occurrence, per execution).
#include <nlohmann/json.hpp>

#include "analysis/json_document.h"
#include "analysis/log_extent_json.h"
#include "analysis/stats_writers.h"

namespace vyn::tools {
namespace {

using nlohmann::ordered_json;
using profiling::PathValues;
using profiling::SampleSummary;

ordered_json summaryJson(const SampleSummary& s, std::string_view unit, double scale(double, TimeUnit),
                         TimeUnit timeUnit) {
  ordered_json figures;
  figures["unit"] = unit;
  figures["count"] = s.count;
  figures["total"] = scale(s.total, timeUnit);
  figures["mean"] = scale(s.mean, timeUnit);
  figures["stddev"] = scale(s.stddev, timeUnit);
  figures["cv"] = s.cv;
  figures["min"] = scale(s.min, timeUnit);
  figures["p50"] = scale(s.p50, timeUnit);
  figures["p90"] = scale(s.p90, timeUnit);
  figures["p99"] = scale(s.p99, timeUnit);
  figures["max"] = scale(s.max, timeUnit);
  return figures;
}

double asIs(double value, TimeUnit) { return value; }

const char* valuesName(PathValues values) {
  switch (values) {
    case PathValues::Measured:
      return "measured";
    case PathValues::Kinds:
      return "kinds";
    default:
      return "none";
  }
}

ordered_json eventJson(const PathFigures& path, TimeUnit unit) {
  const bool isTime = isMicroseconds(path.unit);
  ordered_json event;
  event["path"] = path.path;
  event["depth"] = path.depth;
  event["values"] = valuesName(path.values);
  event["executions"] = path.executions;
  event["occurrences"] = path.occurrences;
  if (path.values == PathValues::Measured) {
    const auto summary = [&](const SampleSummary& s) {
      return isTime ? summaryJson(s, timeUnitName(unit), inTimeUnit, unit)
                    : summaryJson(s, eventUnitName(path.unit), asIs, unit);
    };
    event["per_occurrence"] = summary(path.perOccurrence);
    event["per_execution"] = summary(path.perExecution);
    event["self_total"] = path.selfTotal ? ordered_json(inTimeUnit(*path.selfTotal, unit)) : ordered_json(nullptr);
    event["share"] = path.share ? ordered_json(*path.share) : ordered_json(nullptr);
  }
  if (path.values == PathValues::Kinds) {
    ordered_json kinds = ordered_json::array();
    for (const profiling::DistinctValue& kind : path.kinds) {
      kinds.push_back({{"value", kind.text}, {"count", kind.count}});
    }
    event["kinds"] = std::move(kinds);
  }
  return event;
}

}  // namespace

std::string statsJson(const StatsFigures& figures, const StatsOptions& options, const LogExtent& extent) {
  const TimeUnit unit = statsTimeUnit(figures, options.unit);
  const std::string_view unitName = timeUnitName(unit);
  ordered_json document;
  document["log"] = figures.log;
  document["complete"] = extent.complete();
  document["unreadable"] = unreadableJson(extent);
  document["skipped_executions"] = figures.skipFirst;
  ordered_json graphs = ordered_json::array();
  for (const GraphFigures& graph : figures.graphs) {
    ordered_json entry;
    entry["name"] = graph.name;
    entry["executions"] = graph.executionTime.count;
    entry["execution_time"] = summaryJson(graph.executionTime, unitName, inTimeUnit, unit);
    if (graph.queueWait) entry["queue_wait"] = summaryJson(*graph.queueWait, unitName, inTimeUnit, unit);
    if (graph.withoutQueueWait) {
      entry["without_queue_wait"] = summaryJson(*graph.withoutQueueWait, unitName, inTimeUnit, unit);
    }
    entry["self_total"] = inTimeUnit(graph.selfTotal, unit);
    entry["inferences_per_second"] = graph.inferencesPerSecond;
    ordered_json events = ordered_json::array();
    const std::size_t rows = std::min(options.top.value_or(graph.paths.size()), graph.paths.size());
    for (std::size_t at = 0; at < rows; ++at) events.push_back(eventJson(graph.paths[at], unit));
    entry["events"] = std::move(events);
    graphs.push_back(std::move(entry));
  }
  document["graphs"] = std::move(graphs);
  ordered_json phases = ordered_json::array();
  for (const PhaseFigures& phase : figures.phases) {
    ordered_json entry;
    entry["phase"] = phase.phase;
    entry["graph"] = phase.graph.empty() ? ordered_json(nullptr) : ordered_json(phase.graph);
    entry["duration"] = summaryJson(phase.duration, unitName, inTimeUnit, unit);
    phases.push_back(std::move(entry));
  }
  document["phases"] = std::move(phases);
  return jsonDocumentText(document, 2) + "\n";
}

}  // namespace vyn::tools
