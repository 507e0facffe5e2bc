// export: a loaded log as tidy rows for data-frame libraries, databases and
// spreadsheets, in CSV or JSON Lines, or as the collapsed stacks of its
// executions for flame-graph tools (docs/export-format.md).
#include <memory>

#include "analysis/export_writer.h"
#include "base/output_file.h"
#include "log/command_output.h"
#include "log/commands.h"

namespace vyn::tools {

int runExport(const ExportOptions& options) {
  const std::unique_ptr<LoadedLog> log = loadCommandInput(options.inputPath, options.visibility, options.verbose);
  if (log == nullptr) return 1;
  // Opened only once the log has loaded, so that a bad log leaves no file behind.
  base::OutputFile output;
  if (!output.open(options.outputPath, {options.inputPath})) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  writeExport(log->model, log->statistics, options.format, output);
  return closeCommandOutput(output);
}

}  // namespace vyn::tools
