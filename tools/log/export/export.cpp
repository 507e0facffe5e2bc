// export: a loaded log as tidy rows for data-frame libraries, databases and
// spreadsheets, in CSV or JSON Lines (docs/export-format.md).
#include <memory>
#include <optional>

#include "common/loaded_log.h"
#include "common/output_file.h"
#include "log/commands.h"
#include "log/export/csv_row_writer.h"
#include "log/export/export_text_buffer.h"
#include "log/export/export_walk.h"
#include "log/export/jsonl_row_writer.h"

namespace vyn::tools {

int runExport(const ExportOptions& options) {
  std::string problem;
  const std::unique_ptr<LoadedLog> log = loadLog(options.inputPath, options.visibility, problem, options.verbose);
  if (log == nullptr) {
    reportProblem(options.inputPath, problem);
    return 1;
  }
  // Opened only once the log has loaded, so that a bad log leaves no file behind.
  OutputFile output;
  if (!output.open(options.outputPath, {options.inputPath})) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  ExportTextBuffer text(output);
  std::optional<CsvRowWriter> csv;
  std::optional<JsonlRowWriter> jsonl;
  ExportRowSink* rows = nullptr;
  if (options.format == ExportFormat::Jsonl) {
    rows = &jsonl.emplace(text);
  } else {
    rows = &csv.emplace(text);
  }
  walkExportRows(log->model, *rows);
  text.flush();
  if (!output.close()) {
    reportProblem(output.name(), output.problem());
    output.discard();
    return 1;
  }
  return 0;
}

}  // namespace vyn::tools
