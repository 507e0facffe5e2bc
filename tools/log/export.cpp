// export: a loaded log as tidy rows for data-frame libraries, databases and
// spreadsheets, in CSV or JSON Lines, or as the collapsed stacks of its
// executions for flame-graph tools (docs/export-format.md), or, with several
// logs too, as a SQLite database (docs/sql.md).
#include <memory>
#include <string>
#include <vector>

#include "analysis/export_writer.h"
#include "base/output_file.h"
#include "log/command_line.h"
#include "log/command_output.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

struct ExportOptions {
  std::vector<std::string> inputPaths;  // several only for sqlite
  std::string outputPath;               // "-" for standard output
  ExportFormat format = ExportFormat::Csv;
  int visibility = 127;  // the reader level, as the viewer's --visibility
  bool verbose = false;
};

int runExport(const ExportOptions& options) {
  if (options.format == ExportFormat::Sqlite) {
    return runDatabaseExport(options.inputPaths, options.outputPath, options.visibility, options.verbose);
  }
  const std::string& inputPath = options.inputPaths.front();
  const std::unique_ptr<LoadedLog> log = loadCommandInput(inputPath, options.visibility, options.verbose);
  if (log == nullptr) return 1;
  // Opened only once the log has loaded, so that a bad log leaves no file behind.
  base::OutputFile output;
  if (!output.open(options.outputPath, {inputPath})) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  writeExport(log->model, log->statistics, options.format, output);
  return closeCommandOutput(output);
}

}  // namespace

Command addExportCommand(CLI::App& app) {
  auto options = std::make_shared<ExportOptions>();
  CLI::App* rows = app.add_subcommand(
      "export",
      "Write a log's occurrences and events as tidy rows or a database, or its executions as collapsed stacks");
  rows->add_option("LOG", options->inputPaths, "binary log (sqlite: one or more)")->required();
  rows->add_option("-o,--output", options->outputPath, "file to write ('-' for standard output)")
      ->required()
      ->check(notEmptyPath());
  addChoice<ExportFormat>(
      rows, "--format", options->format,
      {{"csv", ExportFormat::Csv},
       {"jsonl", ExportFormat::Jsonl},
       {"folded", ExportFormat::Folded},
       {"sqlite", ExportFormat::Sqlite}},
      "csv (the default) or jsonl: tidy rows; folded: collapsed stacks for flame graphs; sqlite: a database of "
      "one or more logs (docs/sql.md)");
  rows->callback([options] {
    if (options->format == ExportFormat::Sqlite && options->outputPath == "-") {
      throw CLI::ValidationError("--format sqlite", "a database cannot go to standard output; give -o FILE");
    }
    if (options->format != ExportFormat::Sqlite && options->inputPaths.size() > 1) {
      throw CLI::ValidationError("LOG", "one log at a time, except with --format sqlite");
    }
  });
  addVisibilityOption(rows, options->visibility, "reader level: messages whose level is lower are exported");
  rows->add_flag("--verbose", options->verbose, kVerboseHelp);
  rows->footer(
      "The columns, phases, units and quoting are described in docs/export-format.md. On a\n"
      "terminal, a long write shows its progress on standard error.\n\n"
      "Examples:\n"
      "  vyn-profile-log export run.log -o run.csv\n"
      "  vyn-profile-log export run.log --format jsonl -o - | head\n"
      "  vyn-profile-log export run.log --format folded -o run.folded\n"
      "  vyn-profile-log export a.log b.log --format sqlite -o runs.db\n\n"
      "Exit status: 0 written, 1 the log or the output failed, 2 a usage error.");
  return {rows, [options] { return runExport(*options); }};
}

}  // namespace vyn::tools
