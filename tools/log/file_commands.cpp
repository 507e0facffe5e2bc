// The commands that take one log file to another form or check it: pack, dump,
// check, trace and repair; each declares its options here and runs its own file.
#include <memory>
#include <string>

#include "log/command_line.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

struct FileArguments {
  std::string input;
  std::string output;
  bool verbose = false;
  bool strict = false;
};

}  // namespace

Command addPackCommand(CLI::App& app) {
  auto files = std::make_shared<FileArguments>();
  CLI::App* pack = app.add_subcommand("pack", "Write the binary log described by a JSON file");
  pack->add_option("IN.json", files->input, "JSON log ('-' for standard input)")->required();
  pack->add_option("-o,--output", files->output, "binary log to write")->required()->check(notEmptyPath());
  pack->footer(
      "Records that will not verify are written all the same, with a warning: that is how\n"
      "damaged logs for tests are made.\n\n"
      "Examples:\n"
      "  vyn-profile-log pack run.json -o run.log\n"
      "  vyn-profile-log dump run.log | vyn-profile-log pack - -o copy.log\n\n"
      "Exit status: 0 written; 1 the JSON could not be read or holds a bad value (named by its\n"
      "JSON path), or the log could not be written; 2 a usage error.");
  return {pack, [files] { return runPack(files->input, files->output); }};
}

Command addDumpCommand(CLI::App& app) {
  auto files = std::make_shared<FileArguments>();
  CLI::App* dump = app.add_subcommand("dump", "Write a log as JSON, every field (pack reverses it)");
  dump->add_option("IN.log", files->input, "binary log")->required();
  dump->add_option("-o,--output", files->output, "JSON file to write (default: standard output)")
      ->check(notEmptyPath());
  dump->add_flag("--verbose", files->verbose, kVerboseHelp);
  dump->footer(
      "A frame that does not verify is kept as {\"raw_record\": BASE64}, bytes after the last\n"
      "frame as {\"trailing_bytes\": BASE64}: pack gives back the same log, byte for byte.\n\n"
      "Examples:\n"
      "  vyn-profile-log dump run.log -o run.json\n"
      "  vyn-profile-log dump run.log | less\n\n"
      "Exit status: 0 every record verifies; 1 the log could not be read or holds a frame\n"
      "that does not verify or is cut short (dumped all the same), or the output could\n"
      "not be written; 2 a usage error.");
  return {dump, [files] { return runDump(files->input, files->output.empty() ? "-" : files->output, files->verbose); }};
}

Command addCheckCommand(CLI::App& app) {
  auto files = std::make_shared<FileArguments>();
  CLI::App* check = app.add_subcommand("check", "Verify every record; count records and messages per method type");
  check->add_option("IN.log", files->input, "binary log")->required();
  check->add_flag("--verbose", files->verbose, kVerboseHelp);
  check->footer(
      "It stops at the first bad record and says where it is (index and byte offset) and\n"
      "why; 'repair' keeps the records around it.\n\n"
      "Examples:\n"
      "  vyn-profile-log check run.log\n"
      "  vyn-profile-log check --verbose run.log     also how large and how fast\n\n"
      "Exit status: 0 every record verifies; 1 the log could not be read, a record is\n"
      "bad or cut short, or the file is not a profiling log; 2 a usage error.");
  return {check, [files] { return runCheck(files->input, files->verbose); }};
}

Command addTraceCommand(CLI::App& app) {
  auto files = std::make_shared<FileArguments>();
  CLI::App* trace = app.add_subcommand("trace", "Write a log's timeline as trace-event JSON");
  trace->add_option("IN.log", files->input, "binary log")->required();
  trace->add_option("-o,--output", files->output, "trace JSON to write")->required()->check(notEmptyPath());
  addVerboseAndStrictOptions(trace, files->verbose, files->strict);
  trace->footer(
      "Open the file in the Perfetto UI (\"Open trace file\"); every message is one slice on\n"
      "the track of its graph or of the session.\n\n"
      "Examples:\n"
      "  vyn-profile-log trace run.log -o run.trace.json\n\n"
      "A log that stops being readable after some records (a killed run) gives the timeline\n"
      "of those, with a warning that says where it stops; --strict makes that an error.\n\n"
      "Exit status: 0 written; 1 the log could not be read, its first record is bad, or\n"
      "--strict found it incomplete (nothing is written then), or the output could not\n"
      "be written; 2 a usage error.");
  return {trace, [files] { return runTrace(files->input, files->output, files->verbose, files->strict); }};
}

Command addRepairCommand(CLI::App& app) {
  auto files = std::make_shared<FileArguments>();
  CLI::App* repair =
      app.add_subcommand("repair", "Copy every record that verifies, going on past damage where frames verify again");
  repair->add_option("IN.log", files->input, "damaged binary log")->required();
  repair->add_option("-o,--output", files->output, "binary log to write")->required()->check(notEmptyPath());
  repair->footer(
      "The records kept are copied byte for byte. After a bad record, the copy goes on where\n"
      "its length prefix leads, or else from the first offset (at most 64 MiB on) where three\n"
      "frames in a row verify. Standard error gives each range of bytes dropped and why, and\n"
      "how many records and bytes were kept and dropped.\n\n"
      "Examples:\n"
      "  vyn-profile-log repair run.log -o run.repaired.log\n\n"
      "Exit status: 0 at least one record kept; 1 nothing to keep (nothing is written\n"
      "then), the log could not be read or the output not written; 2 a usage error.");
  return {repair, [files] { return runRepair(files->input, files->output); }};
}

}  // namespace vyn::tools
