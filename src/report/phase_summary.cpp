// Text-summary sections of the life-cycle phases other than execution.
#include "report/summary_sections.h"
#include "report/text_layout.h"

namespace vyn::profiling {
namespace {

struct GraphPhaseSection {
  const char* title;
  std::size_t ruleWidth;
  const std::vector<GraphSeries>& series;  // the section is written when this is not empty
  // The averaged entries, or the extremes when averaged is null.
  const std::vector<GraphAverage>* averaged;
  const std::vector<GraphExtreme>* extremes;
};

GraphPhaseSection graphPhaseSection(const ReportInput& input, GraphPhaseKind kind) {
  const LogModel& model = input.model;
  const SeriesStatistics& sections = input.statistics.sectionApplications;
  const SeriesStatistics& updates = input.statistics.tensorUpdates;
  switch (kind) {
    case GraphPhaseKind::ApplyBinarySectionAverage:
      return {"ApplyBinarySection Stats (Average):", 35, model.sectionApplications, &sections.average.of(model),
              nullptr};
    case GraphPhaseKind::ApplyBinarySectionMin:
      return {"ApplyBinarySection Stats (Min):", 35, model.sectionApplications, nullptr, &sections.minimum};
    case GraphPhaseKind::ApplyBinarySectionMax:
      return {"ApplyBinarySection Stats (Max):", 35, model.sectionApplications, nullptr, &sections.maximum};
    case GraphPhaseKind::TensorUpdatesAverage:
      return {"FinalizeAfterTensorUpdates Stats (Average):", 45, model.tensorUpdates, &updates.average.of(model),
              nullptr};
    case GraphPhaseKind::TensorUpdatesMin:
      return {"FinalizeAfterTensorUpdates Stats (Min):", 40, model.tensorUpdates, nullptr, &updates.minimum};
    case GraphPhaseKind::TensorUpdatesMax:
      break;
  }
  return {"FinalizeAfterTensorUpdates Stats (Max):", 40, model.tensorUpdates, nullptr, &updates.maximum};
}

}  // namespace

void writePhaseStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events) {
  writeTitle(out, "Vyn Init/Prepare/Finalize/De-Init/Execute/Lib-Load Statistics:", 60);
  writeInitStats(out, input, events);
  writeComposeGraphsStats(out, input);
  writeFinalizeStats(out, input, events);
  writeDeInitStats(out, input, events);
}

void writeInitStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events) {
  const LogModel& model = input.model;
  writeTitle(out, "Init Stats:", 11);
  writeValueLine(out, input.statistics.initTime);
  if (model.initEvents) {
    events.tree(out, model.list(*model.initEvents), 1);
  } else if (model.contextCreation) {
    events.tree(out, model.list(model.contextCreation->events), 1);
  }
  out.endLine();
}

void writeComposeGraphsStats(base::TextBuffer& out, const ReportInput& input) {
  writeTitle(out, "Compose Graphs Stats:", 14);
  writeValueLine(out, input.model.composeTime);
  out.endLine();
}

void writeFinalizeStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events) {
  const LogModel& model = input.model;
  writeTitle(out, "Finalize Stats:", 15);
  if (model.finalizations.empty()) {
    out.endLine();
    return;
  }
  for (std::size_t position = 0; position < model.finalizations.size(); ++position) {
    const GraphOccurrence& entry = model.finalizations[position];
    writeGraphHeading(out, position, model.text(entry.graph));
    writeValueLine(out, entry.occurrence.value);
    if (model.finalizeEventsSeen) events.tree(out, model.list(entry.occurrence.events), 1);
    out.endLine();
  }
}

void writeDeInitStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events) {
  const LogModel& model = input.model;
  writeTitle(out, "De-Init Stats:", 14);
  writeValueLine(out, model.deInit.value);
  events.tree(out, model.list(model.deInit.events), 1);
  out.endLine();
}

void writeGraphPhaseStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events, GraphPhaseKind kind) {
  const LogModel& model = input.model;
  const GraphPhaseSection section = graphPhaseSection(input, kind);
  if (section.series.empty()) return;
  writeTitle(out, section.title, section.ruleWidth);
  forEachGraphEntry(model, section.averaged, section.extremes,
                    [&](std::size_t position, TextId graph, std::uint64_t value, const EventList& list) {
                      writeGraphHeading(out, position, model.text(graph));
                      writeValueLine(out, value);
                      events.tree(out, list, 1);
                      out.endLine();
                    });
}

void writeUpdateBinarySectionStats(base::TextBuffer& out, const ReportInput& input, EventPrinter& events) {
  const LogModel& model = input.model;
  if (!model.sectionUpdate) return;
  writeTitle(out, "UpdateBinarySection Stats:", 32);
  // Only the latest update is kept; no graph name is shown.
  const Occurrence& update = *model.sectionUpdate;
  writeValueLine(out, update.value);
  if (!update.events.empty()) events.tree(out, model.list(update.events), 1);
  out.endLine();
}

}  // namespace vyn::profiling
