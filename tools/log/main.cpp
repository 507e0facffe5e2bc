// vyn-profile-log: make, inspect and check profiling logs.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "base/terminal_text.h"
#include "log/commands.h"
#include "version/viewer_version.h"

namespace vyn::tools {

void reportProblem(const std::string& subject, const std::string& problem) {
  // Paths and problems may quote names from a log.
  std::fprintf(stderr, "vyn-profile-log: %s: %s\n", base::terminalText(subject).c_str(),
               base::terminalText(problem).c_str());
}

namespace {

constexpr int kUsageError = 2;

// The first word that is not an option names the command; one that names none
// gets the list of commands. Empty when the command is known or absent.
std::string unknownCommand(CLI::App& app, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (!word.empty() && word[0] == '-') continue;
    std::string names;
    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
      if (command->check_name(word)) return {};
      names += (names.empty() ? "" : ", ") + command->get_name();
    }
    return "unknown command '" + word + "'; the commands are " + names;
  }
  return {};
}

constexpr const char* kHelpFooter = R"(
Examples:
  vyn-profile-log check run.log                 is every record sound?
  vyn-profile-log repair run.log -o fixed.log   keep every record that verifies, around damage
  vyn-profile-log dump run.log -o run.json      every field as JSON
  vyn-profile-log pack run.json -o run.log      and back
  vyn-profile-log trace run.log -o run.trace.json
  vyn-profile-log stats run.log                 distributions and hotspots per graph
  vyn-profile-log report run.log -o run.html    a page of charts to open in a browser
  vyn-profile-log diff base.log new.log         what got slower or faster
  vyn-profile-log export run.log -o run.csv     tidy rows for data frames
  vyn-profile-log export run.log --format folded -o run.folded
                                                collapsed stacks for flame graphs
  vyn-profile-log query run.log "SELECT graph, median(duration_us) FROM execution GROUP BY graph"
                                                any question in SQL
  vyn-profile-log synth --graphs 2 --size 34MB -o bench.log
  vyn-profile-log top run.log                   follow a log while it is written

No command writes over one of its inputs; an output is replaced only when it
was written whole.

Exit status: 0 success (repair: at least one record kept); 1 an input could
not be read or is damaged, or an output could not be written; 2 a usage error;
3 diff found a row significantly slower.)";

}  // namespace
}  // namespace vyn::tools

int main(int argc, char** argv) {
  using namespace vyn::tools;
  CLI::App app{"Makes, inspects and checks profiling logs.", "vyn-profile-log"};
  app.set_version_flag("--version", std::string("vyn-profile-log ") + vyn::profiling::kViewerVersion);
  app.require_subcommand(1);
  app.footer(kHelpFooter);
  const std::vector<Command> commands{addPackCommand(app),   addDumpCommand(app),   addCheckCommand(app),
                                      addSynthCommand(app),  addTraceCommand(app),  addStatsCommand(app),
                                      addReportCommand(app), addExportCommand(app), addDiffCommand(app),
                                      addRepairCommand(app), addTopCommand(app),    addQueryCommand(app)};
  try {
    const std::string unknown = unknownCommand(app, argc, argv);
    if (!unknown.empty()) throw CLI::ValidationError(unknown);
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& request) {
    return app.exit(request);
  } catch (const CLI::CallForVersion& request) {
    return app.exit(request);
  } catch (const CLI::ParseError& error) {
    std::cerr << "vyn-profile-log: " << error.what() << "\n"
              << "Run 'vyn-profile-log --help' for usage.\n";
    return kUsageError;
  }

  for (const Command& command : commands) {
    if (*command.app) return command.run();
  }
  return kUsageError;
}
