#include "log/command_output.h"

#include "base/output_file.h"
#include "base/parallel_for.h"
#include "log/commands.h"

namespace vyn::tools {

bool openCommandOutput(base::OutputFile& output, const std::string& path, const std::vector<std::string>& inputs) {
  if (output.open(path, inputs)) return true;
  reportProblem(output.name(), output.problem());
  return false;
}

int writeCommandOutput(const std::string& path, const std::vector<std::string>& inputs, std::string_view text) {
  base::OutputFile output;
  if (!openCommandOutput(output, path, inputs)) return 1;
  output.write(text);
  return closeCommandOutput(output);
}

int closeCommandOutput(base::OutputFile& output) {
  if (output.close()) return 0;
  reportProblem(output.name(), output.problem());
  return 1;
}

void reportWarnings(const LoadedLog& log) {
  for (const std::string& warning : log.warnings) reportProblem(log.path, warning);
}

bool acceptLogExtent(const std::string& path, const LogExtent& extent, bool strict) {
  if (extent.complete()) return true;
  reportProblem(path, strict ? strictRefusal(path, extent) : partialLogWarning(path, extent));
  return !strict;
}

std::unique_ptr<LoadedLog> loadCommandInput(const std::string& path, int visibility, bool verbose, bool strict) {
  std::string problem;
  std::unique_ptr<LoadedLog> log = loadLog(path, static_cast<std::int8_t>(visibility), problem, verbose);
  if (log == nullptr) {
    reportProblem(path, problem);
    return nullptr;
  }
  if (!acceptLogExtent(path, log->extent, strict)) return nullptr;
  reportWarnings(*log);
  return log;
}

std::vector<std::unique_ptr<LoadedLog>> loadCommandInputs(const std::vector<std::string>& paths, int visibility,
                                                          bool verbose, bool strict) {
  std::vector<std::unique_ptr<LoadedLog>> logs(paths.size());
  std::vector<std::string> problems(paths.size());
  base::parallelFor(paths.size(), [&](std::size_t at) {
    logs[at] = loadLog(paths[at], static_cast<std::int8_t>(visibility), problems[at], verbose,
                       paths.size() > 1 ? paths[at] : std::string());
  });
  bool loaded = true;
  for (std::size_t at = 0; at < logs.size(); ++at) {
    if (logs[at] == nullptr) {
      reportProblem(paths[at], problems[at]);
      loaded = false;
    } else if (!acceptLogExtent(paths[at], logs[at]->extent, strict)) {
      loaded = false;
    } else {
      reportWarnings(*logs[at]);
    }
  }
  if (!loaded) logs.clear();
  return logs;
}

int reportUnknownGraph(const LoadedLog& log, const std::string& name) {
  std::string known;
  for (const auto& series : log.model.executions) {
    known += known.empty() ? "" : ", ";
    known += log.model.text(series.graph);
  }
  reportProblem(log.path, "no graph named '" + name + "'" +
                              (known.empty() ? " (the log executes none)" : " (graphs executed: " + known + ")"));
  return 1;
}

}  // namespace vyn::tools
