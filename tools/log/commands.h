// The subcommands of vyn-profile-log. Each returns the process exit status:
// 0 success, 1 the input or output failed; usage errors are caught before.
// diff returns 3 when it finds something slower.
#ifndef VYN_TOOLS_LOG_COMMANDS_H_
#define VYN_TOOLS_LOG_COMMANDS_H_

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}  // namespace CLI

namespace vyn::tools {

// "vyn-profile-log: SUBJECT: PROBLEM" on standard error.
void reportProblem(const std::string& subject, const std::string& problem);

// The commands that read a log show its progress on a terminal when it is
// large; verbose adds one summary line of the load on standard error.
int runPack(const std::string& inputPath, const std::string& outputPath);
int runDump(const std::string& inputPath, const std::string& outputPath, bool verbose);
int runCheck(const std::string& inputPath, bool verbose);
// A log that stops being readable after some records gives the timeline of
// those, with a warning; strict makes it an error, writing nothing.
int runTrace(const std::string& inputPath, const std::string& outputPath, bool verbose, bool strict);
// 0 when at least one record was kept.
int runRepair(const std::string& inputPath, const std::string& outputPath);

// A subcommand with its options declared, and what it runs once they are read:
// the process exit status.
struct Command {
  CLI::App* app = nullptr;
  std::function<int()> run;
};

// Each command of the tool, its options declared on app: the ones above
// (log/file_commands.cpp, log/synth.cpp) and the analyses, each
// in its own file (stats.cpp, report.cpp, diff.cpp: kDiffFoundSlower when a
// row is significantly slower; export.cpp).
Command addPackCommand(CLI::App& app);
Command addDumpCommand(CLI::App& app);
Command addCheckCommand(CLI::App& app);
Command addSynthCommand(CLI::App& app);
Command addTraceCommand(CLI::App& app);
Command addStatsCommand(CLI::App& app);
Command addReportCommand(CLI::App& app);
Command addExportCommand(CLI::App& app);
Command addDiffCommand(CLI::App& app);
Command addRepairCommand(CLI::App& app);
// top.cpp: follows a log while it is written.
Command addTopCommand(CLI::App& app);
// query.cpp: SQL over loaded logs, and export's database of them (export
// --format sqlite): 0 when written.
Command addQueryCommand(CLI::App& app);
int runDatabaseExport(const std::vector<std::string>& logPaths, const std::string& outputPath, int visibility,
                      bool verbose, bool strict);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_COMMANDS_H_
