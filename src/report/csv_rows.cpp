// The CSV preamble, the column header row and the rows of the timed phases that
// both the generic and the back-end export write.
#include <optional>
#include <string>
#include <string_view>

#include "base/text_buffer.h"
#include "report/csv_export.h"
#include "version/viewer_version.h"

namespace vyn::profiling {
namespace {

// One phase row: timestamp, message keyword, value in microseconds, unit US,
// source NETRUN, level ROOT and the identifier, or "null" when there is none.
// keyword is a literal with its separators, e.g. ",INIT,".
void writePhaseRow(base::TextBuffer& out, std::uint64_t timestamp, std::string_view keyword, std::uint64_t value,
                   std::optional<std::string_view> identifier) {
  out.number(timestamp).text(keyword).number(value).text(",US,NETRUN,ROOT,");
  if (identifier) {
    out.csvField(*identifier);
  } else {
    out.text("null");
  }
  out.endLine();
}

// A phase name with its suffix, or none when the name is empty.
std::optional<std::string> suffixedName(std::string_view name, std::string_view suffix) {
  if (name.empty()) return std::nullopt;
  return std::string(name) + std::string(suffix);
}

// The names joined by "; ".
std::string joinedNames(const LogModel& model, const std::vector<TextId>& names) {
  std::string joined;
  for (const TextId name : names) {
    if (!joined.empty()) joined += "; ";
    joined += model.text(name);
  }
  return joined;
}

// "Graph <position>: <graph name>", the identifier of every row of one graph.
std::string graphIdentifier(std::size_t position, std::string_view graphName) {
  return "Graph " + std::to_string(position) + ": " + std::string(graphName);
}

// One row per occurrence of every graph's series, each followed by its events.
void writeSeriesRows(base::TextBuffer& out, const ReportInput& input, EventPrinter& events,
                     const std::vector<GraphSeries>& series, std::string_view keyword, const std::string& label) {
  const LogModel& model = input.model;
  for (std::size_t position = 0; position < series.size(); ++position) {
    const std::string identifier = graphIdentifier(position, model.text(series[position].graph));
    for (const Occurrence& occurrence : series[position].occurrences) {
      writePhaseRow(out, occurrence.timestamp, keyword, occurrence.value, identifier);
      events.rows(out, model.list(occurrence.events), occurrence.timestamp, label);
    }
  }
}

}  // namespace

void writeCsvPreamble(base::TextBuffer& out, const ReportInput& input) {
  const LogHeaderInfo header = input.model.header.value_or(LogHeaderInfo{});
  out.text("input log file location, ").csvField(input.inputLogPath);
  out.endLine();
  out.text("vyn-profile-viewer version, ").text(kViewerVersion);
  out.endLine();
  out.csvField(header.generatorName + " version").text(", ").csvField(header.generatorVersion);
  out.endLine();
  out.text("Backend version, ").csvField(header.backendVersion);
  out.endLine();
}

void writeCsvHeaderRow(base::TextBuffer& out) {
  out.text(
      "Msg Timestamp, Message, Time, Unit of Measurement, Timing Source, Event Level, "
      "Event Identifier");
  out.endLine();
}

void writePhaseRows(base::TextBuffer& out, const ReportInput& input, EventPrinter& events) {
  const LogModel& model = input.model;
  const Statistics& statistics = input.statistics;

  writePhaseRow(out, statistics.initTimestamp, ",INIT,", statistics.initTime,
                suffixedName(model.text(model.initName), " (init)"));
  static const std::string kInit = "INIT";
  if (model.initEvents) {
    events.rows(out, model.list(*model.initEvents), statistics.initTimestamp, kInit);
  } else if (model.contextCreation) {
    events.rows(out, model.list(model.contextCreation->events), statistics.initTimestamp, kInit);
  }

  writePhaseRow(out, model.composeTimestamp, ",COMPOSE GRAPHS,", model.composeTime,
                suffixedName(joinedNames(model, model.composeNames), ""));

  static const std::string kFinalize = "FINALIZE";
  for (std::size_t position = 0; position < model.finalizations.size(); ++position) {
    const GraphOccurrence& entry = model.finalizations[position];
    const Occurrence& finalization = entry.occurrence;
    writePhaseRow(out, finalization.timestamp, ",FINALIZE,", finalization.value,
                  graphIdentifier(position, model.text(entry.graph)));
    if (model.finalizeEventsSeen) {
      events.rows(out, model.list(finalization.events), finalization.timestamp, kFinalize);
    }
  }

  static const std::string kDeInit = "DE-INIT";
  const Occurrence& deInit = model.deInit;
  writePhaseRow(out, deInit.timestamp, ",DE-INIT,", deInit.value, suffixedName(model.text(deInit.name), " (deinit)"));
  events.rows(out, model.list(deInit.events), deInit.timestamp, kDeInit);
}

void writeExecuteRows(base::TextBuffer& out, const ReportInput& input, EventPrinter& events) {
  static const std::string kLabel = "EXECUTE";
  writeSeriesRows(out, input, events, input.model.executions, ",EXECUTE,", kLabel);
}

void writeApplyBinarySectionRows(base::TextBuffer& out, const ReportInput& input, EventPrinter& events) {
  static const std::string kLabel = "APPLYBINARY";
  writeSeriesRows(out, input, events, input.model.sectionApplications, ",APPLY BINARY SECTION,", kLabel);
}

}  // namespace vyn::profiling
