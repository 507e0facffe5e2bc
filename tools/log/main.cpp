// vyn-profile-log: make, inspect and check profiling logs.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <limits>
#include <utility>
#include <vector>

#include "analysis/diff_options.h"
#include "analysis/report_options.h"
#include "analysis/stats_writers.h"
#include "base/terminal_text.h"
#include "common/number_options.h"
#include "log/commands.h"
#include "log/synth/synth_options.h"
#include "version/viewer_version.h"

namespace vyn::tools {

void reportProblem(const std::string& subject, const std::string& problem) {
  // Paths and problems may quote names from a log.
  std::fprintf(stderr, "vyn-profile-log: %s: %s\n", base::terminalText(subject).c_str(),
               base::terminalText(problem).c_str());
}

namespace {

constexpr int kUsageError = 2;
// Keeps one record well below the largest buffer FlatBuffers can build.
constexpr std::uint64_t kMaxEventsPerRecord = 4000000;
constexpr std::uint64_t kAny = std::numeric_limits<std::uint64_t>::max();

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

// An output path must name a file: '' is a slip, not standard output.
const CLI::Validator kNotEmpty(
    [](const std::string& path) { return path.empty() ? std::string("the path is empty") : std::string(); }, "");

constexpr const char* kHelpFooter = R"(
Examples:
  vyn-profile-log check run.log                 is every record sound?
  vyn-profile-log repair run.log -o fixed.log   keep the records before the first bad one
  vyn-profile-log dump run.log -o run.json      every field as JSON
  vyn-profile-log pack run.json -o run.log      and back
  vyn-profile-log trace run.log -o run.trace.json
  vyn-profile-log stats run.log                 distributions and hotspots per graph
  vyn-profile-log report run.log -o run.html    a page of charts to open in a browser
  vyn-profile-log diff base.log new.log         what got slower or faster
  vyn-profile-log export run.log -o run.csv     tidy rows for data frames
  vyn-profile-log export run.log --format folded -o run.folded
                                                collapsed stacks for flame graphs
  vyn-profile-log synth --graphs 2 --size 34MB -o bench.log

No command writes over one of its inputs; an output is replaced only when it
was written whole.

Exit status: 0 success (repair: at least one record kept); 1 an input could
not be read or is damaged, or an output could not be written; 2 a usage error;
3 diff found a row significantly slower.)";

// A --shift as synth reads it: "GRAPH/EVENT PATH=+10%".
const CLI::Validator kShiftText(
    [](const std::string& text) {
      SynthShift shift;
      return parseSynthShift(text, shift);
    },
    "");

// An option that takes one of a few words, each naming a value of E: in help
// and errors the words, in the order given, rather than the values behind them.
template <typename E>
CLI::Validator oneOf(const std::vector<std::pair<std::string, E>>& choices) {
  std::string names;
  for (const auto& choice : choices) names += (names.empty() ? "" : "|") + choice.first;
  return CLI::Validator(
      [choices, names](std::string& value) -> std::string {
        for (const auto& [word, meaning] : choices) {
          if (value == word) {
            value = std::to_string(static_cast<int>(meaning));
            return {};
          }
        }
        return "'" + value + "' is not one of " + names;
      },
      names);
}

// The events of one message, or kMaxEventsPerRecord + 1 when there are more.
std::uint64_t eventsPerMessage(const SynthOptions& options) {
  constexpr std::uint64_t kTooMany = kMaxEventsPerRecord + 1;
  std::uint64_t perEvent = 1;
  std::uint64_t level = 1;
  for (std::uint32_t d = 0; d < options.depth && perEvent < kTooMany; ++d) {
    level = std::min(level * options.subEvents, kTooMany);
    perEvent += level;
  }
  return std::min(perEvent * options.events, kTooMany);
}

}  // namespace
}  // namespace vyn::tools

int main(int argc, char** argv) {
  using namespace vyn::tools;
  CLI::App app{"Makes, inspects and checks profiling logs.", "vyn-profile-log"};
  app.set_version_flag("--version",
                       std::string("vyn-profile-log ") + vyn::profiling::kViewerVersion);
  app.require_subcommand(1);
  app.footer(kHelpFooter);

  std::string input;
  std::string output;
  bool verbose = false;
  const char* const verboseHelp = "say on standard error how large the log is and how fast it was read";

  auto* pack = app.add_subcommand("pack", "Write the binary log described by a JSON file");
  pack->add_option("IN.json", input, "JSON log ('-' for standard input)")->required();
  pack->add_option("-o,--output", output, "binary log to write")->required()->check(kNotEmpty);
  pack->footer(
      "Records that will not verify are written all the same, with a warning: that is how\n"
      "damaged logs for tests are made.\n\n"
      "Examples:\n"
      "  vyn-profile-log pack run.json -o run.log\n"
      "  vyn-profile-log dump run.log | vyn-profile-log pack - -o copy.log\n\n"
      "Exit status: 0 written; 1 the JSON could not be read or holds a bad value (named by its\n"
      "JSON path), or the log could not be written; 2 a usage error.");

  auto* dump = app.add_subcommand("dump", "Write a log as JSON, every field (pack reverses it)");
  dump->add_option("IN.log", input, "binary log")->required();
  dump->add_option("-o,--output", output, "JSON file to write (default: standard output)")->check(kNotEmpty);
  dump->add_flag("--verbose", verbose, verboseHelp);
  dump->footer(
      "A frame that does not verify is kept as {\"raw_record\": BASE64}, bytes after the last\n"
      "frame as {\"trailing_bytes\": BASE64}: pack gives back the same log, byte for byte.\n\n"
      "Examples:\n"
      "  vyn-profile-log dump run.log -o run.json\n"
      "  vyn-profile-log dump run.log | less\n\n"
      "Exit status: 0 every record verifies; 1 the log could not be read or holds a frame\n"
      "that does not verify or is cut short (dumped all the same), or the output could\n"
      "not be written; 2 a usage error.");

  auto* check = app.add_subcommand(
      "check", "Verify every record; count records and messages per method type");
  check->add_option("IN.log", input, "binary log")->required();
  check->add_flag("--verbose", verbose, verboseHelp);
  check->footer(
      "It stops at the first bad record and says where it is (index and byte offset) and\n"
      "why; 'repair' keeps the records before it.\n\n"
      "Examples:\n"
      "  vyn-profile-log check run.log\n"
      "  vyn-profile-log check --verbose run.log     also how large and how fast\n\n"
      "Exit status: 0 every record verifies; 1 the log could not be read, a record is\n"
      "bad or cut short, or the file is not a profiling log; 2 a usage error.");

  SynthOptions synthOptions;
  auto* synth = app.add_subcommand("synth", "Write a synthetic log for demos and benchmarks");
  synth->add_option("--graphs", synthOptions.graphs, "graphs in the session")
      ->transform(wholeNumber(1, 100000, "a number of graphs from 1 to 100000"))
      ->capture_default_str();
  auto* executions = synth->add_option("--executions", synthOptions.executions, "executions per graph")
                         ->transform(wholeNumber(0, kAny, "a number of executions per graph, 0 or more"))
                         ->capture_default_str();
  synth->add_option("--events", synthOptions.events, "top-level events per execution")
      ->transform(wholeNumber(0, kMaxEventsPerRecord, "a number of events from 0 to 4000000"))
      ->capture_default_str();
  synth->add_option("--sub-events", synthOptions.subEvents, "sub-events below each layer and each timed sub-event")
      ->transform(wholeNumber(0, kMaxEventsPerRecord, "a number of sub-events from 0 to 4000000"))
      ->capture_default_str();
  synth->add_option("--depth", synthOptions.depth, "levels of sub-events")
      ->transform(wholeNumber(0, 60, "a number of levels from 0 to 60"))
      ->capture_default_str();
  synth->add_option("--messages-per-record", synthOptions.messagesPerRecord, "messages in one record")
      ->transform(wholeNumber(1, 1000000, "a number of messages from 1 to 1000000"))
      ->capture_default_str();
  synth->add_flag("--round-trip", synthOptions.roundTrip,
                  "host round-trip executions, each with a queue-wait event");
  synth->add_option("--size", synthOptions.targetSize,
                    "execute until the log reaches this size (e.g. 34MB, 340MB, 1GiB)")
      ->transform(byteSize())
      ->type_name("SIZE")
      ->excludes(executions);
  synth->add_option("--seed", synthOptions.seed, "seed of the noise in the generated values")
      ->transform(wholeNumber(0, kAny, "a seed from 0 to 18446744073709551615"))
      ->capture_default_str();
  std::vector<std::string> shiftTexts;
  synth->add_option("--shift", shiftTexts,
                    "scale an event's time in one graph, e.g. 'graph_0/Layer 7 / Compute=+10%' (repeatable)")
      ->type_name("GRAPH/PATH=CHANGE")
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->check(kShiftText);
  synth->add_option("-o,--output", synthOptions.outputPath, "binary log to write")
      ->required()
      ->check(kNotEmpty);
  synth->footer(synthHelpFooter());

  auto* trace = app.add_subcommand("trace", "Write a log's timeline as trace-event JSON");
  trace->add_option("IN.log", input, "binary log")->required();
  trace->add_option("-o,--output", output, "trace JSON to write")->required()->check(kNotEmpty);
  trace->add_flag("--verbose", verbose, verboseHelp);
  trace->footer(
      "Open the file in the Perfetto UI (\"Open trace file\"); every message is one slice on\n"
      "the track of its graph or of the session.\n\n"
      "Examples:\n"
      "  vyn-profile-log trace run.log -o run.trace.json\n\n"
      "Exit status: 0 written; 1 the log could not be read or is damaged (the timeline\n"
      "stops at the bad record), or the output could not be written; 2 a usage error.");

  StatsOptions statsOptions;
  auto* stats = app.add_subcommand(
      "stats", "Per graph: execution-time distribution, events by path, the other phases");
  stats->add_option("LOG", statsOptions.logPath, "binary log")->required();
  stats->add_option("--graph", statsOptions.graphs, "only this graph (repeatable)")
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  stats->add_option("--skip-first", statsOptions.skipFirst,
                    "leave out the first N executions of each graph (warm-up)")
      ->transform(wholeNumber(0, kAny, "a number of executions, 0 or more"));
  stats->add_option("--top", statsOptions.top,
                    "event paths per graph, 0 for all (text: 10 by default; CSV, JSON: all)")
      ->transform(wholeNumber(0, std::numeric_limits<std::size_t>::max(), "a number of event paths, or 0 for all"));
  static const std::vector<std::pair<std::string, StatsSort>> kSorts{
      {"total", StatsSort::Total}, {"mean", StatsSort::Mean}, {"p50", StatsSort::P50},
      {"p99", StatsSort::P99},     {"count", StatsSort::Count}, {"name", StatsSort::Name}};
  stats->add_option("--sort", statsOptions.sort,
                    "order of the graphs and of their event paths, largest first: total, mean, p50, p99, count; "
                    "or name")
      ->transform(oneOf(kSorts));
  static const std::vector<std::pair<std::string, TimeUnit>> kUnits{
      {"auto", TimeUnit::Auto}, {"us", TimeUnit::Micro}, {"ms", TimeUnit::Milli}, {"s", TimeUnit::Seconds}};
  stats->add_option("--unit", statsOptions.unit, "unit of times: us, ms, s or auto (by the median execution)")
      ->transform(oneOf(kUnits));
  static const std::vector<std::pair<std::string, StatsFormat>> kFormats{
      {"text", StatsFormat::Text}, {"csv", StatsFormat::Csv}, {"json", StatsFormat::Json}};
  stats->add_option("--format", statsOptions.format, "text, csv or json")
      ->transform(oneOf(kFormats));
  stats->add_option("-o,--output", statsOptions.outputPath, "file to write (default: standard output)")
      ->check(kNotEmpty);
  stats->add_option("--visibility", statsOptions.visibility,
                    "reader level, as the viewer's: messages whose level is lower are taken")
      ->transform(visibilityLevel())
      ->capture_default_str();
  stats->add_flag("--verbose", statsOptions.verbose, verboseHelp);
  stats->footer(
      "Percentiles are exact, from every sample, by linear interpolation between the closest\n"
      "ranks (rank (n - 1) q / 100). sd is the sample standard deviation (n - 1), cv = sd / mean.\n"
      "An event path is a top-level event's name and the names of the sub-events down to the\n"
      "event, joined by ' / '. Hardware-unit sets, burst modes and texts are counted by value.\n"
      "An event's figures are per occurrence (/occ, _per_occurrence) or per execution of the\n"
      "graph (/exec, _per_execution: its sum in each execution, 0 where it does not appear);\n"
      "self is its total less that of its timed sub-events.\n"
      "--sort ranks the graphs by that figure of their execution times and each graph's events\n"
      "by that figure of their occurrences (total: the sum; count: how many), largest first;\n"
      "name sorts both by name. The default, total, puts what takes the most time first.\n\n"
      "Examples:\n"
      "  vyn-profile-log stats run.log\n"
      "  vyn-profile-log stats run.log --graph graph_1 --skip-first 10 --top 20 --sort p99\n"
      "  vyn-profile-log stats run.log --format csv -o stats.csv\n"
      "  vyn-profile-log stats run.log --top 0       every event path\n\n"
      "Exit status: 0 written, 1 the log or the output failed, 2 a usage error.");

  // report: one self-contained HTML page with the summary table and, per graph,
  // the execution times over the run, their distribution and an icicle chart.
  ReportOptions reportOptions;
  auto* report = app.add_subcommand(
      "report", "Write a self-contained HTML page: summary table, timeline, histogram and icicle per graph");
  report->add_option("LOG", reportOptions.logPath, "binary log")->required();
  report->add_option("-o,--output", reportOptions.outputPath, "HTML file to write ('-' for standard output)")
      ->required()
      ->check(kNotEmpty);
  report->add_option("--graph", reportOptions.graphs, "only this graph (repeatable)")
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  report->add_option("--skip-first", reportOptions.skipFirst,
                     "leave out the first N executions of each graph (warm-up)")
      ->transform(wholeNumber(0, kAny, "a number of executions, 0 or more"));
  report->add_option("--unit", reportOptions.unit, "unit of times: us, ms, s or auto (by the median execution)")
      ->transform(oneOf(kUnits));
  report->add_option("--visibility", reportOptions.visibility,
                     "reader level, as the viewer's: messages whose level is lower are taken")
      ->transform(visibilityLevel())
      ->capture_default_str();
  report->add_flag("--verbose", reportOptions.verbose, verboseHelp);
  report->footer(
      "The page holds everything it shows (no script, font or style is fetched), so it\n"
      "opens from disk in any browser with no network. Hover a rectangle of the icicle\n"
      "chart or a bar of the histogram for its figures.\n\n"
      "Examples:\n"
      "  vyn-profile-log report run.log -o run.html\n"
      "  vyn-profile-log report run.log -o run.html --graph graph_1 --skip-first 10 --unit ms\n\n"
      "Exit status: 0 written, 1 the log or the output failed, 2 a usage error.");

  // export: tidy rows of every phase occurrence and event, as CSV or JSON Lines,
  // or the collapsed stacks of the executions.
  ExportOptions exportOptions;
  int exportVisibility = 127;
  auto* exportRows = app.add_subcommand(
      "export", "Write a log's occurrences and events as tidy rows, or its executions as collapsed stacks");
  exportRows->add_option("LOG", exportOptions.inputPath, "binary log")->required();
  exportRows->add_option("-o,--output", exportOptions.outputPath, "file to write ('-' for standard output)")
      ->required()
      ->check(kNotEmpty);
  exportRows->add_option("--format", exportOptions.format,
                         "csv (the default) or jsonl: tidy rows; folded: collapsed stacks for flame graphs")
      ->transform(oneOf(std::vector<std::pair<std::string, ExportFormat>>{
          {"csv", ExportFormat::Csv}, {"jsonl", ExportFormat::Jsonl}, {"folded", ExportFormat::Folded}}));
  exportRows->add_option("--visibility", exportVisibility,
                         "reader level: messages whose level is lower are exported")
      ->transform(visibilityLevel())
      ->capture_default_str();
  exportRows->add_flag("--verbose", exportOptions.verbose, verboseHelp);
  exportRows->footer(
      "The columns, phases, units and quoting are described in docs/export-format.md. On a\n"
      "terminal, a long write shows its progress on standard error.\n\n"
      "Examples:\n"
      "  vyn-profile-log export run.log -o run.csv\n"
      "  vyn-profile-log export run.log --format jsonl -o - | head\n"
      "  vyn-profile-log export run.log --format folded -o run.folded\n\n"
      "Exit status: 0 written, 1 the log or the output failed, 2 a usage error.");

  DiffOptions diffOptions;
  auto* diff = app.add_subcommand(
      "diff", "Compare the executions of two logs, graph by graph: which got slower or faster");
  diff->add_option("BASE", diffOptions.basePath, "binary log to compare against")->required();
  diff->add_option("NEW", diffOptions.newPath, "binary log to compare")->required();
  diff->add_option("--threshold", diffOptions.thresholdPercent,
                   "smallest change of the median, in percent, that counts")
      ->transform(nonNegativeNumber("a percentage of 0 or more"))
      ->capture_default_str();
  diff->add_option("--correction", diffOptions.correction,
                   "how the p-values of all rows are adjusted together: holm (the default), fdr or none")
      ->transform(oneOf(std::vector<std::pair<std::string, vyn::profiling::PValueAdjustment>>{
          {"holm", vyn::profiling::PValueAdjustment::Holm},
          {"fdr", vyn::profiling::PValueAdjustment::BenjaminiHochberg},
          {"none", vyn::profiling::PValueAdjustment::None}}));
  static const std::vector<std::pair<std::string, DiffFormat>> kDiffFormats{
      {"text", DiffFormat::Text}, {"json", DiffFormat::Json}, {"html", DiffFormat::Html}};
  diff->add_option("--format", diffOptions.format, "text, json or html (a page with charts)")
      ->transform(oneOf(kDiffFormats));
  diff->add_option("--graph", diffOptions.graphs, "compare only this graph (repeat for more)")
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  diff->add_option("--skip-first", diffOptions.skipFirst,
                   "leave out the first N executions of each graph (warm-up)")
      ->transform(wholeNumber(0, kAny, "a number of executions, 0 or more"))
      ->capture_default_str();
  diff->add_option("--visibility", diffOptions.visibility,
                   "the reader's level, -128 to 127: a message is taken when its own level is lower")
      ->transform(visibilityLevel())
      ->capture_default_str();
  diff->add_option("--unit", diffOptions.unit, "unit of times: us, ms, s or auto")
      ->transform(oneOf(kUnits));
  diff->add_option("-o,--output", diffOptions.outputPath, "file to write (default: standard output)")
      ->check(kNotEmpty);
  diff->add_flag("--verbose", diffOptions.verbose, verboseHelp);
  diff->footer(
      "Rows: per graph the execution time, then every measured event path; an event\n"
      "row's samples, and its n, median, mean and p99, are the path's sums per execution.\n"
      "Test: two-sided Mann-Whitney U on the two logs' samples, exact for samples\n"
      "without ties of at most 50 values each, else the normal approximation with tie\n"
      "and continuity corrections.\n"
      "Correction: the p-values of every row with at least 10 executions on both sides,\n"
      "over all graphs, are adjusted together: holm (Holm's step-down, the chance of any\n"
      "false alarm stays below 0.05), fdr (Benjamini-Hochberg, the expected share of\n"
      "false alarms among the rows called changed stays below 0.05) or none.\n"
      "Verdict: slower or faster when the adjusted p < 0.05 and the median changed by\n"
      "at least the threshold; else no change. A row with fewer than 10 executions on a\n"
      "side is too few executions: it has no adjusted p and is left out of the\n"
      "correction, and never makes the exit status 3.\n"
      "Shift: the Hodges-Lehmann estimate of new - base (the median of all pairwise\n"
      "differences) with its distribution-free 95% confidence interval (the k-th\n"
      "smallest and largest difference, k from the rank-sum test's critical value; one\n"
      "unit wider each side when the samples are whole numbers, as recorded times are),\n"
      "in percent of the base median.\n"
      "Order: graphs by total execution time (the larger of the two logs'), largest\n"
      "first; in each, the execution time, then the rows by adjusted p, smallest first.\n"
      "The two logs load at once: progress and --verbose lines start with \"base PATH:\"\n"
      "or \"new PATH:\".\n\n"
      "Examples:\n"
      "  vyn-profile-log diff base.log new.log\n"
      "  vyn-profile-log diff base.log new.log --graph mobilenet --skip-first 10 --threshold 2\n"
      "  vyn-profile-log diff base.log new.log --format html -o diff.html\n\n"
      "Exit status: 0 nothing slower, 3 some row slower, 1 a log could not be read or\n"
      "the output not written, 2 a usage error.");

  auto* repair = app.add_subcommand(
      "repair", "Copy the records before the first one that is cut short or does not verify");
  repair->add_option("IN.log", input, "damaged binary log")->required();
  repair->add_option("-o,--output", output, "binary log to write")->required()->check(kNotEmpty);
  repair->footer(
      "The records kept are copied byte for byte. Standard error says where the first bad\n"
      "record is and why, and how many records and bytes were kept and dropped.\n\n"
      "Examples:\n"
      "  vyn-profile-log repair run.log -o run.repaired.log\n\n"
      "Exit status: 0 at least one record kept; 1 nothing to keep (nothing is written\n"
      "then), the log could not be read or the output not written; 2 a usage error.");

  try {
    const std::string unknown = unknownCommand(app, argc, argv);
    if (!unknown.empty()) throw CLI::ValidationError(unknown);
    app.parse(argc, argv);
    if (*synth) {
      if (eventsPerMessage(synthOptions) * synthOptions.messagesPerRecord > kMaxEventsPerRecord) {
        throw CLI::ValidationError("synth", "more than " + std::to_string(kMaxEventsPerRecord) +
                                                " events per record; lower --events, --sub-events, "
                                                "--depth or --messages-per-record");
      }
      for (const std::string& text : shiftTexts) {
        SynthShift shift;
        parseSynthShift(text, shift);  // its syntax was checked with the option
        synthOptions.shifts.push_back(std::move(shift));
      }
      const std::string shiftProblem = synthShiftProblem(synthOptions);
      if (!shiftProblem.empty()) throw CLI::ValidationError("--shift", shiftProblem);
    }
  } catch (const CLI::CallForHelp& request) {
    return app.exit(request);
  } catch (const CLI::CallForVersion& request) {
    return app.exit(request);
  } catch (const CLI::ParseError& error) {
    std::cerr << "vyn-profile-log: " << error.what() << "\n"
              << "Run 'vyn-profile-log --help' for usage.\n";
    return kUsageError;
  }

  if (*pack) return runPack(input, output);
  if (*dump) return runDump(input, output.empty() ? "-" : output, verbose);
  if (*check) return runCheck(input, verbose);
  if (*repair) return runRepair(input, output);
  if (*synth) return runSynth(synthOptions);
  if (*stats) {
    if (statsOptions.top == std::size_t{0}) statsOptions.top = std::numeric_limits<std::size_t>::max();
    return runStats(statsOptions);
  }
  if (*report) return runReport(reportOptions);
  if (*exportRows) {
    exportOptions.visibility = static_cast<std::int8_t>(exportVisibility);
    return runExport(exportOptions);
  }
  if (*diff) return runDiff(diffOptions);
  return runTrace(input, output, verbose);
}
