// Writing a command's whole output, and the problems the analysis commands
// share, in the log tool's words on standard error.
#ifndef VYN_TOOLS_LOG_COMMAND_OUTPUT_H_
#define VYN_TOOLS_LOG_COMMAND_OUTPUT_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/loaded_log.h"
#include "base/output_file.h"

namespace vyn::tools {

// Opens a command's output at path ("-": standard output), refusing a path
// that names one of inputs: false, with the problem reported.
bool openCommandOutput(base::OutputFile& output, const std::string& path, const std::vector<std::string>& inputs = {});

// Writes text to path ("-": standard output) whole or not at all, refusing a
// path that names one of inputs. 0 when written; 1, with the problem reported.
int writeCommandOutput(const std::string& path, const std::vector<std::string>& inputs, std::string_view text);

// Closes a command's output, putting it in place: 0 when it is; 1, with the
// problem reported, when a write or the close failed (an existing file then
// stays as it was).
int closeCommandOutput(base::OutputFile& output);

// Reports the warnings of a loaded log, each naming the log.
void reportWarnings(const LoadedLog& log);

// Says where a log that stops early stops being readable: a warning, after
// which the command goes on with the records before it; or, when strict, the
// error that stops the command, and then false. True for a whole log.
bool acceptLogExtent(const std::string& path, const LogExtent& extent, bool strict);

// Loads the log for a command that reads one log: null, with the problem
// reported, when it cannot be loaded or strict refuses a log that stops early;
// else the log, its warnings reported.
std::unique_ptr<LoadedLog> loadCommandInput(const std::string& path, int visibility, bool verbose, bool strict);

// Loads several logs side by side for a command that reads them together,
// each naming itself on its progress line: empty, with every problem reported,
// when one cannot be loaded or strict refuses one that stops early; else the
// logs in order, their warnings reported.
std::vector<std::unique_ptr<LoadedLog>> loadCommandInputs(const std::vector<std::string>& paths, int visibility,
                                                          bool verbose, bool strict);

// Reports that the log executes no graph of that name, naming the graphs it
// does execute; returns 1, the exit status.
int reportUnknownGraph(const LoadedLog& log, const std::string& name);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_COMMAND_OUTPUT_H_
