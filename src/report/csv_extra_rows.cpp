// CSV rows of the generic export beyond the phases and executions: the overall
// inference rate, the library load latency, tensor-update finalizations,
// context retrievals and binary-section updates.
#include <optional>
#include <string>

#include "base/text_buffer.h"
#include "report/csv_export.h"
#include "stats/inference_rate.h"

namespace vyn::profiling {
namespace {

// The unit, timing source and level columns of a row timed by the runtime.
constexpr std::string_view kNetRunColumns = ",US,NETRUN,ROOT";

}  // namespace

void writeExecuteIpsRow(base::TextBuffer& out, const ReportInput& input) {
  const LogModel& model = input.model;
  if (!model.executeOverall) return;
  const std::optional<float> figure = inferencesPerSecond(model.list(model.executeOverall->events));
  if (!figure) return;
  out.number(model.executeOverall->timestamp).text(",EXECUTE IPS,").fixed(*figure, 6);
  out.text(",INF/SEC,NETRUN,ROOT,null");
  out.endLine();
}

void writeDlopenLatencyRow(base::TextBuffer& out, const ReportInput& input) {
  const LogModel& model = input.model;
  if (!model.libraryLoad || model.libraryLoad->events.empty()) return;
  const EventRow& first = *model.events.rows(model.libraryLoad->events);
  out.number(model.libraryLoad->timestamp).text(",DLOPEN LATENCY,");
  out.number(valueAsUnsigned(rowValue(first, model.texts))).text(kNetRunColumns).text(",null");
  out.endLine();
}

void writeFinalizeAfterTensorUpdatesRows(base::TextBuffer& out, const ReportInput& input, EventPrinter& events) {
  static const std::string kLabel = "FINALIZE_AFTER_TENSOR_UPDATES";
  const LogModel& model = input.model;
  for (std::size_t position = 0; position < model.tensorUpdates.size(); ++position) {
    // The identifier carries each call's own name, which keeps the pass suffix
    // that the graph key drops.
    const std::string prefix = "Graph " + std::to_string(position) + ": ";
    for (const Occurrence& call : model.tensorUpdates[position].occurrences) {
      out.number(call.timestamp).text(",FINALIZE AFTER TENSOR UPDATES,").number(call.value);
      out.text(kNetRunColumns).character(',').csvField(prefix + std::string(model.text(call.name)));
      out.endLine();
      events.rows(out, model.list(call.events), call.timestamp, kLabel);
    }
  }
}

void writeContextRetrievalRows(base::TextBuffer& out, const ReportInput& input) {
  const LogModel& model = input.model;
  const auto writeRow = [&](std::string_view measurement, const Occurrence& call) {
    out.number(call.timestamp).character(',').csvField(measurement).character(',');
    out.number(call.value).text(kNetRunColumns).character(',');
    if (call.name == kEmptyText) {
      out.text("null");
    } else {
      out.csvField(model.text(call.name));
    }
    out.endLine();
  };
  for (const ContextCall& call : model.contextBinaryCalls) writeRow(call.measurement, call.occurrence);
  for (const Occurrence& call : model.contextSectionSizeCalls) writeRow("CONTEXT GET BINARY SECTION SIZE", call);
}

void writeUpdateBinarySectionRows(base::TextBuffer& out, const ReportInput& input, EventPrinter& events) {
  static const std::string kLabel = "UPDATE_BINARY_SECTION";
  const LogModel& model = input.model;
  if (!model.sectionUpdate) return;
  const Occurrence& update = *model.sectionUpdate;
  out.number(update.timestamp).text(",UPDATE BINARY SECTION,").number(update.value);
  out.text(",US,TALV,ROOT,null");
  out.endLine();
  events.rows(out, model.list(update.events), update.timestamp, kLabel);
}

}  // namespace vyn::profiling
