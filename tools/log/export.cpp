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
  bool strict = false;  // a log that stops early is an error
};

// A name ending in .gz asks for a gzip-compressed file, which data tools and
// query engines read as it is.
bool endsWithGz(const std::string& path) { return path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0; }

int runExport(const ExportOptions& options) {
  if (options.format == ExportFormat::Sqlite) {
    return runDatabaseExport(options.inputPaths, options.outputPath, options.visibility, options.verbose,
                             options.strict);
  }
  const std::string& inputPath = options.inputPaths.front();
  const std::unique_ptr<LoadedLog> log =
      loadCommandInput(inputPath, options.visibility, options.verbose, options.strict);
  if (log == nullptr) return 1;
  // Opened only once the log has loaded, so that a bad log leaves no file behind.
  base::OutputFile output;
  if (!openCommandOutput(output, options.outputPath, {inputPath})) return 1;
  if (endsWithGz(options.outputPath)) output.compressWithGzip();
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
  addVerboseAndStrictOptions(rows, options->verbose, options->strict);
  rows->footer(
      "The columns, phases, units and quoting are described in docs/export-format.md. An\n"
      "output name ending in .gz is written gzip-compressed. On a terminal, a long write\n"
      "shows its progress on standard error.\n\n"
      "Examples:\n"
      "  vyn-profile-log export run.log -o run.csv\n"
      "  vyn-profile-log export run.log --format jsonl -o - | head\n"
      "  vyn-profile-log export run.log --format jsonl -o run.jsonl.gz\n"
      "  vyn-profile-log export run.log --format folded -o run.folded\n"
      "  vyn-profile-log export a.log b.log --format sqlite -o runs.db\n\n"
      "Exit status: 0 written, also from a log that stops early (a warning says where); 1 the\n"
      "log or the output failed, or --strict found the log incomplete; 2 a usage error.");
  return {rows, [options] { return runExport(*options); }};
}

}  // namespace vyn::tools
