// vyn-profile-viewer: the host that drives a profiling-log reader.
//
// It runs a reader exactly as a host does: createReader, loadLog,
// getHeaderReport, writeReport, deleteReader. Standard output carries only what
// the reader writes (the report and the queue-wait notices); the viewer's own
// messages, and the reader's diagnostics when --log-level asks for them, go to
// standard error, as do the progress of a large load and, with --verbose, the
// load's summary line. Exit status: 0 success, 1 load or report failed, 2 usage.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>

#include "analysis/load_meter.h"
#include "analysis/repair_suggestion.h"
#include "base/input_protection.h"
#include "base/output_file.h"
#include "base/system_error_text.h"
#include "base/terminal_text.h"
#include "capture/log_warnings.h"
#include "common/number_options.h"
#include "log/logger.h"
#include "plugin/built_in_reader.h"
#include "stats/execution_count.h"
#include "version/viewer_version.h"
#include "viewer/csv_destination.h"
#include "viewer/reader_host.h"

namespace {

using vyn::profiling::LoadOutcome;
using vyn::profiling::ProfileLogReader;
using vyn::profiling::VisibilityLevel;

constexpr int kFailure = 1;
constexpr int kUsageError = 2;

void reportProblem(const std::string& subject, const std::string& problem) {
  std::fprintf(stderr, "vyn-profile-viewer: %s: %s\n", vyn::base::terminalText(subject).c_str(),
               vyn::base::terminalText(problem).c_str());
}

// The reader's diagnostics, one line each on standard error in the logger's
// line form, so that standard output stays the report alone.
void stderrLogSink(const char* format, std::uint32_t level, std::uint64_t elapsedNs, va_list args) {
  char line[1024] = {};
  vyn::log::formatLogLine(line, sizeof line, format, level, elapsedNs, args);
  // The reader quotes names from the log in its diagnostics.
  std::fprintf(stderr, "%s\n", vyn::base::terminalText(line).c_str());
}

constexpr const char* kHelpFooter = R"(
Examples:
  vyn-profile-viewer run.log                    the back-end report of run.log
  vyn-profile-viewer run.log --csv run.csv      and its CSV export
  vyn-profile-viewer --generic run.log          the generic report
  vyn-profile-viewer --visibility 2 run.log     only messages of level 1 and below
  vyn-profile-viewer --reader ./libVynXtuProfilingReader.so run.log

The CSV file never replaces the log or the plug-in, and an existing one is
replaced only when the report succeeded. Warnings (an empty log, every message
skipped by the visibility level) go to standard error.

Exit status: 0 the report was written; 1 the log could not be loaded or the CSV
file not written; 2 a usage error.)";

struct Options {
  std::string logPath;
  std::string readerPath;
  std::string csvPath;
  bool generic = false;
  bool dataFiles = false;
  bool verbose = false;
  int visibility = 127;
  std::int32_t logLevel = 0;  // 0: no logger
};

// Why the log at path did not load, from the fault its load found; when good
// records come before the first bad one, ends with the command that keeps them.
std::string loadFailure(const std::string& path, const LoadOutcome& outcome) {
  if (!outcome.fault) return "the reader could not load the log";
  const vyn::profiling::LogFault& fault = *outcome.fault;
  std::string text = fault.loadFailure();
  if (fault.kind != vyn::profiling::LogFaultKind::Unopened && fault.record > 0) {
    text += "; to keep the " + std::to_string(fault.record) + (fault.record == 1 ? " record" : " records") +
            " before it: " + vyn::tools::repairCommand(path);
  }
  return text;
}

// The log's size for the load's summary when it is a regular file, else 0;
// told by its directory entry, without opening it.
std::uint64_t regularFileSize(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return 0;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<std::uint64_t>(size);
}

int run(const Options& options) {
  // Before anything is loaded or written: neither the CSV export nor the report
  // on standard output ("vyn-profile-viewer run.log >> run.log") replaces an input.
  for (const std::string& output : {options.csvPath, std::string("-")}) {
    const std::string overwrite = vyn::base::overwritesInput(output, {options.logPath, options.readerPath});
    if (!overwrite.empty()) {
      reportProblem(output == "-" ? "standard output" : output, overwrite);
      return kFailure;
    }
  }

  vyn::tools::ReaderHost host;
  if (!options.readerPath.empty()) {
    if (!host.loadPlugin(options.readerPath)) {
      reportProblem(options.readerPath, host.problem());
      return kFailure;
    }
  } else {
    host.useBuiltIn(options.generic);
    if (options.logLevel != 0) vyn::log::createLogger(stderrLogSink, options.logLevel);
  }
  vyn::tools::CsvDestination csv;
  if (!csv.prepare(options.csvPath)) {
    reportProblem(options.csvPath, "cannot write the CSV file: " + csv.problem());
    return kFailure;
  }

  const auto level = static_cast<std::int8_t>(options.visibility);
  ProfileLogReader* reader = host.create(options.logPath, static_cast<VisibilityLevel>(level));
  vyn::profiling::BuiltInReader* builtIn = host.builtInReader();
  vyn::tools::LoadMeter meter(options.verbose, regularFileSize(options.logPath));
  // The reader's diagnostic lines would be torn by a progress line redrawn among them.
  if (builtIn != nullptr && options.logLevel == 0) builtIn->setLoadProgress(meter.progress());
  int status = 0;
  std::vector<std::string> warnings;
  const bool loaded = reader->loadLog(options.dataFiles);
  if (builtIn != nullptr) builtIn->setLoadProgress({});
  // A built-in reader says what its load found; a plug-in's findings are out of
  // sight, so after its load and its report (the load's summary times the
  // load alone) the log is read once more, as a reader reads it.
  LoadOutcome outcome;
  vyn::profiling::VisibilityTally tally;
  const auto learnFindings = [&] {
    if (builtIn != nullptr) {
      outcome = builtIn->loadOutcome();
      tally = builtIn->model().visibility;
      return;
    }
    vyn::profiling::LogSurvey survey = vyn::profiling::surveyLogFile(options.logPath, level);
    outcome = std::move(survey.outcome);
    tally = survey.visibility;
  };
  if (!loaded) {
    meter.clear();
    learnFindings();
    std::fflush(stdout);
    reportProblem(options.logPath, loadFailure(options.logPath, outcome));
    status = kFailure;
  } else {
    std::optional<std::uint64_t> executions;
    if (builtIn != nullptr) executions = vyn::tools::executionCount(builtIn->model());
    meter.finish(executions);
    // The summary that writeReport writes opens with the same text; printing it
    // here as well would show it twice.
    static_cast<void>(reader->getHeaderReport());
    if (!reader->writeReport(csv.readerPath())) {
      std::fflush(stdout);
      reportProblem(options.csvPath, "cannot write the CSV file: " + vyn::tools::outputFileProblem(options.csvPath));
      status = kFailure;
    } else if (!csv.commit()) {
      reportProblem(options.csvPath, "cannot write the CSV file: " + csv.problem());
      status = kFailure;
    }
    learnFindings();
    warnings = vyn::profiling::logWarnings(outcome, tally, level);
  }
  csv.abandon();
  host.destroy(reader);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    reportProblem("standard output", "write failed: " + vyn::base::systemErrorText(errno));
    status = kFailure;
  }
  for (const std::string& warning : warnings) reportProblem(options.logPath, warning);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Loads a profiling log with a reader and writes its report: the summary on "
      "standard output, optionally a CSV export.",
      "vyn-profile-viewer"};
  app.set_version_flag("--version", std::string("vyn-profile-viewer ") + vyn::profiling::kViewerVersion);
  app.footer(kHelpFooter);
  Options options;
  app.add_option("LOG", options.logPath, "profiling log to read")->required();
  auto* reader =
      app.add_option("--reader", options.readerPath, "reader plug-in (.so) to load instead of the built-in reader")
          ->check(CLI::ExistingFile);
  app.add_flag("--generic", options.generic, "report with the generic reader instead of the back-end one")
      ->excludes(reader);
  app.add_option("--csv", options.csvPath, "write the CSV export to this file")
      ->check(CLI::Validator(
          [](const std::string& path) { return path.empty() ? std::string("the path is empty") : std::string(); },
          "PATH"));
  app.add_flag("--data-files", options.dataFiles, "save the raw bytes of object-valued events as data files");
  app.add_flag("--verbose", options.verbose, "say on standard error how large the log is and how fast it was loaded");
  app.add_option("--visibility", options.visibility, "reader level: messages whose level is lower are reported")
      ->transform(vyn::tools::visibilityLevel())
      ->capture_default_str();
  static const std::map<std::string, std::int32_t> kLevels{{"error", vyn::log::VYN_LOG_LEVEL_ERROR},
                                                           {"warn", vyn::log::VYN_LOG_LEVEL_WARN},
                                                           {"info", vyn::log::VYN_LOG_LEVEL_INFO},
                                                           {"verbose", vyn::log::VYN_LOG_LEVEL_VERBOSE},
                                                           {"debug", vyn::log::VYN_LOG_LEVEL_DEBUG}};
  std::string logLevel;
  app.add_option("--log-level", logLevel, "show the reader's diagnostics on standard error (built-in reader only)")
      ->check([](const std::string& name) -> std::string {
        if (kLevels.count(name) != 0) return {};
        return "'" + name + "' is not one of error, warn, info, verbose, debug";
      })
      ->option_text("error|warn|info|verbose|debug")
      ->excludes(reader);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& request) {
    return app.exit(request);
  } catch (const CLI::CallForVersion& request) {
    return app.exit(request);
  } catch (const CLI::ParseError& error) {
    std::cerr << "vyn-profile-viewer: " << error.what() << "\n"
              << "Run 'vyn-profile-viewer --help' for usage.\n";
    return kUsageError;
  }
  if (!logLevel.empty()) options.logLevel = kLevels.at(logLevel);
  return run(options);
}
