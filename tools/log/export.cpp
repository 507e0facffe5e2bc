// export: a loaded log as tidy rows for data-frame libraries, databases and
// spreadsheets, in CSV or JSON Lines, or as the collapsed stacks of its
// executions for flame-graph tools (docs/export-format.md).
#include <memory>

#include "analysis/export_writer.h"
#include "base/output_file.h"
#include "log/command_line.h"
#include "log/command_output.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

struct ExportOptions {
  std::string inputPath;
  std::string outputPath;  // "-" for standard output
  ExportFormat format = ExportFormat::Csv;
  int visibility = 127;  // the reader level, as the viewer's --visibility
  bool verbose = false;
  bool strict = false;  // a log that stops early is an error
};

// A name ending in .gz asks for a gzip-compressed file, which data tools and
// query engines read as it is.
bool endsWithGz(const std::string& path) { return path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0; }

int runExport(const ExportOptions& options) {
  const std::unique_ptr<LoadedLog> log =
      loadCommandInput(options.inputPath, options.visibility, options.verbose, options.strict);
  if (log == nullptr) return 1;
  // Opened only once the log has loaded, so that a bad log leaves no file behind.
  base::OutputFile output;
  if (!output.open(options.outputPath, {options.inputPath})) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  if (endsWithGz(options.outputPath)) output.compressWithGzip();
  writeExport(log->model, log->statistics, options.format, output);
  return closeCommandOutput(output);
}

}  // namespace

Command addExportCommand(CLI::App& app) {
  auto options = std::make_shared<ExportOptions>();
  CLI::App* rows = app.add_subcommand(
      "export", "Write a log's occurrences and events as tidy rows, or its executions as collapsed stacks");
  rows->add_option("LOG", options->inputPath, "binary log")->required();
  rows->add_option("-o,--output", options->outputPath, "file to write ('-' for standard output)")
      ->required()
      ->check(notEmptyPath());
  addChoice<ExportFormat>(
      rows, "--format", options->format,
      {{"csv", ExportFormat::Csv}, {"jsonl", ExportFormat::Jsonl}, {"folded", ExportFormat::Folded}},
      "csv (the default) or jsonl: tidy rows; folded: collapsed stacks for flame graphs");
  addVisibilityOption(rows, options->visibility, "reader level: messages whose level is lower are exported");
  rows->add_flag("--verbose", options->verbose, kVerboseHelp);
  addStrictOption(rows, options->strict);
  rows->footer(
      "The columns, phases, units and quoting are described in docs/export-format.md. An\n"
      "output name ending in .gz is written gzip-compressed. On a terminal, a long write\n"
      "shows its progress on standard error.\n\n"
      "Examples:\n"
      "  vyn-profile-log export run.log -o run.csv\n"
      "  vyn-profile-log export run.log --format jsonl -o - | head\n"
      "  vyn-profile-log export run.log --format jsonl -o run.jsonl.gz\n"
      "  vyn-profile-log export run.log --format folded -o run.folded\n\n"
      "Exit status: 0 written, also from a log that stops early (a warning says where); 1 the\n"
      "log or the output failed, or --strict found the log incomplete; 2 a usage error.");
  return {rows, [options] { return runExport(*options); }};
}

}  // namespace vyn::tools
