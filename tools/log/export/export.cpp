// export: a loaded log as tidy rows for data-frame libraries, databases and
// spreadsheets, in CSV or JSON Lines, or as the collapsed stacks of its
// executions for flame-graph tools (docs/export-format.md).
#include <memory>
#include <optional>

#include "base/output_file.h"
#include "common/loaded_log.h"
#include "common/write_meter.h"
#include "log/command_output.h"
#include "log/commands.h"
#include "log/export/csv_row_writer.h"
#include "log/export/export_text_buffer.h"
#include "log/export/export_walk.h"
#include "log/export/folded_writer.h"
#include "log/export/jsonl_row_writer.h"
#include "stats/execution_profile.h"

namespace vyn::tools {
namespace {

// The phase occurrences the walk hands out, give or take the few of the
// session: what the progress of a write is counted in.
std::uint64_t occurrenceCount(const profiling::LogModel& model) {
  std::uint64_t count = model.finalizations.size() + model.contextBinaryCalls.size() +
                        model.contextSectionSizeCalls.size();
  for (const auto* series : {&model.executions, &model.sectionApplications, &model.tensorUpdates}) {
    for (const profiling::GraphSeries& graph : *series) count += graph.occurrences.size();
  }
  return count;
}

// Passes the rows on and shows, on a terminal, how far the write has come.
class MeteredRows : public ExportRowSink {
 public:
  MeteredRows(ExportRowSink& rows, const base::OutputFile& output, WriteMeter& meter)
      : rows_(rows), output_(output), meter_(meter) {}

  void occurrence(const OccurrenceColumns& row) override {
    meter_.update(++occurrences_, output_.bytesWritten());
    rows_.occurrence(row);
  }
  void event(const EventColumns& row) override { rows_.event(row); }
  bool healthy() const override { return rows_.healthy(); }

 private:
  ExportRowSink& rows_;
  const base::OutputFile& output_;
  WriteMeter& meter_;
  std::uint64_t occurrences_ = 0;
};

void writeRows(const profiling::LogModel& model, ExportFormat format, ExportTextBuffer& text,
               const base::OutputFile& output) {
  std::optional<CsvRowWriter> csv;
  std::optional<JsonlRowWriter> jsonl;
  ExportRowSink* rows = nullptr;
  if (format == ExportFormat::Jsonl) {
    rows = &jsonl.emplace(text);
  } else {
    rows = &csv.emplace(text);
  }
  // Rows streaming to a terminal would be torn by a progress line redrawn in it.
  if (output.isTerminal()) return walkExportRows(model, *rows);
  WriteMeter meter(occurrenceCount(model));
  MeteredRows metered(*rows, output, meter);
  walkExportRows(model, metered);
  meter.finish();
}

}  // namespace

int runExport(const ExportOptions& options) {
  const std::unique_ptr<LoadedLog> log = loadCommandInput(options.inputPath, options.visibility, options.verbose);
  if (log == nullptr) return 1;
  // Opened only once the log has loaded, so that a bad log leaves no file behind.
  base::OutputFile output;
  if (!output.open(options.outputPath, {options.inputPath})) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  ExportTextBuffer text(output);
  if (options.format == ExportFormat::Folded) {
    // Every execution counts: the sums per execution add up to the totals.
    writeFoldedStacks(log->model,
                      profiling::profileExecutions(log->model, log->statistics, 0,
                                                   profiling::PathSamples::PerExecution),
                      text);
  } else {
    writeRows(log->model, options.format, text, output);
  }
  text.flush();
  return closeCommandOutput(output);
}

}  // namespace vyn::tools
