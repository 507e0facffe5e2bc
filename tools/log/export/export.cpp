// export: a loaded log as tidy rows for data-frame libraries, databases and
// spreadsheets, in CSV or JSON Lines, or as the collapsed stacks of its
// executions for flame-graph tools (docs/export-format.md).
#include <memory>
#include <optional>

#include "base/output_file.h"
#include "common/loaded_log.h"
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

void writeRows(const profiling::LogModel& model, ExportFormat format, ExportTextBuffer& text) {
  std::optional<CsvRowWriter> csv;
  std::optional<JsonlRowWriter> jsonl;
  ExportRowSink* rows = nullptr;
  if (format == ExportFormat::Jsonl) {
    rows = &jsonl.emplace(text);
  } else {
    rows = &csv.emplace(text);
  }
  walkExportRows(model, *rows);
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
    writeRows(log->model, options.format, text);
  }
  text.flush();
  if (!output.close()) {
    reportProblem(output.name(), output.problem());
    output.discard();
    return 1;
  }
  return 0;
}

}  // namespace vyn::tools
