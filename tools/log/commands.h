// The subcommands of vyn-profile-log. Each returns the process exit status:
// 0 success, 1 the input or output failed; usage errors are caught before.
// diff returns 3 when it finds something slower.
#ifndef VYN_TOOLS_LOG_COMMANDS_H_
#define VYN_TOOLS_LOG_COMMANDS_H_

#include <cstdint>
#include <string>

#include "analysis/export_writer.h"

namespace vyn::tools {

// "vyn-profile-log: SUBJECT: PROBLEM" on standard error.
void reportProblem(const std::string& subject, const std::string& problem);

// The commands that read a log show its progress on a terminal when it is
// large; verbose adds one summary line of the load on standard error.
int runPack(const std::string& inputPath, const std::string& outputPath);
int runDump(const std::string& inputPath, const std::string& outputPath, bool verbose);
int runCheck(const std::string& inputPath, bool verbose);
int runTrace(const std::string& inputPath, const std::string& outputPath, bool verbose);
// 0 when at least one record was kept.
int runRepair(const std::string& inputPath, const std::string& outputPath);

struct SynthOptions;  // log/synth/synth_options.h

// Writes a synthetic log; 2 when a --shift names nothing it makes.
int runSynth(const SynthOptions& options);

struct StatsOptions;
int runStats(const StatsOptions& options);

struct ExportOptions {
  std::string inputPath;
  std::string outputPath;  // "-" for standard output
  ExportFormat format = ExportFormat::Csv;
  std::int8_t visibility = 127;  // the reader level, as the viewer's --visibility
  bool verbose = false;
};

int runExport(const ExportOptions& options);

struct ReportOptions;  // log/html/report_options.h

// Writes a self-contained HTML page of the log's executions with charts.
int runReport(const ReportOptions& options);

struct DiffOptions;  // log/diff_options.h

// Compares two logs' executions; kDiffFoundSlower when a row is significantly slower.
int runDiff(const DiffOptions& options);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_COMMANDS_H_
