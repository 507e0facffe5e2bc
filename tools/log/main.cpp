// vyn-profile-log: make, inspect and check profiling logs.
#include <CLI/CLI.hpp>

#include <cctype>
#include <cstdio>
#include <iostream>
#include <utility>
#include <vector>

#include "log/commands.h"
#include "log/diff/diff_options.h"
#include "log/html/report_options.h"
#include "log/stats/stats_figures.h"
#include "version/viewer_version.h"

namespace vyn::tools {

void reportProblem(const std::string& subject, const std::string& problem) {
  std::fprintf(stderr, "vyn-profile-log: %s: %s\n", subject.c_str(), problem.c_str());
}

namespace {

constexpr int kUsageError = 2;
// Keeps one record well below the largest buffer FlatBuffers can build.
constexpr std::uint64_t kMaxEventsPerRecord = 4000000;

// "1048576", "64K", "34MB", "340M", "1GiB": K, M, G and their "iB" forms are
// powers of 1024, "KB", "MB", "GB" powers of 1000.
bool parseSize(const std::string& text, std::uint64_t& size) {
  std::size_t digits = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  if (digits == 0 || digits > 15) return false;
  const std::uint64_t number = std::stoull(text.substr(0, digits));
  std::string suffix = text.substr(digits);
  for (char& c : suffix) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const struct {
    const char* suffix;
    std::uint64_t factor;
  } kSuffixes[] = {{"", 1},           {"B", 1},           {"K", 1ULL << 10},  {"KIB", 1ULL << 10},
                   {"KB", 1000},      {"M", 1ULL << 20},  {"MIB", 1ULL << 20}, {"MB", 1000000},
                   {"G", 1ULL << 30}, {"GIB", 1ULL << 30}, {"GB", 1000000000}};
  for (const auto& entry : kSuffixes) {
    if (suffix == entry.suffix) {
      size = number * entry.factor;
      return size > 0;
    }
  }
  return false;
}

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

std::uint64_t eventsPerMessage(const SynthOptions& options) {
  std::uint64_t perEvent = 1;
  std::uint64_t level = 1;
  for (std::uint32_t d = 0; d < options.depth && perEvent <= kMaxEventsPerRecord; ++d) {
    level *= options.subEvents;
    perEvent += level;
  }
  return perEvent * options.events;
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

  auto* dump = app.add_subcommand("dump", "Write a log as JSON, every field (pack reverses it)");
  dump->add_option("IN.log", input, "binary log")->required();
  dump->add_option("-o,--output", output, "JSON file to write (default: standard output)")->check(kNotEmpty);
  dump->add_flag("--verbose", verbose, verboseHelp);

  auto* check = app.add_subcommand(
      "check", "Verify every record; count records and messages per method type");
  check->add_option("IN.log", input, "binary log")->required();
  check->add_flag("--verbose", verbose, verboseHelp);

  SynthOptions synthOptions;
  std::string sizeText;
  auto* synth = app.add_subcommand("synth", "Write a synthetic log for demos and benchmarks");
  synth->add_option("--graphs", synthOptions.graphs, "graphs in the session")
      ->check(CLI::Range(1u, 100000u))
      ->capture_default_str();
  auto* executions = synth->add_option("--executions", synthOptions.executions, "executions per graph")
                         ->capture_default_str();
  synth->add_option("--events", synthOptions.events, "top-level events per execution")
      ->capture_default_str();
  synth->add_option("--sub-events", synthOptions.subEvents, "sub-events below each event")
      ->capture_default_str();
  synth->add_option("--depth", synthOptions.depth, "levels of sub-events")
      ->check(CLI::Range(0u, 60u))
      ->capture_default_str();
  synth->add_option("--messages-per-record", synthOptions.messagesPerRecord, "messages in one record")
      ->check(CLI::Range(1u, 1000000u))
      ->capture_default_str();
  synth->add_flag("--round-trip", synthOptions.roundTrip,
                  "host round-trip executions, each with a queue-wait event");
  synth->add_option("--size", sizeText,
                    "execute until the log reaches this size (e.g. 34MB, 340MB, 1GiB)")
      ->excludes(executions);
  synth->add_option("--seed", synthOptions.seed, "seed of the generated values")->capture_default_str();
  synth->add_option("-o,--output", synthOptions.outputPath, "binary log to write")
      ->required()
      ->check(kNotEmpty);

  auto* trace = app.add_subcommand("trace", "Write a log's timeline as trace-event JSON");
  trace->add_option("IN.log", input, "binary log")->required();
  trace->add_option("-o,--output", output, "trace JSON to write")->required()->check(kNotEmpty);
  trace->add_flag("--verbose", verbose, verboseHelp);

  StatsOptions statsOptions;
  auto* stats = app.add_subcommand(
      "stats", "Per graph: execution-time distribution, events by path, the other phases");
  stats->add_option("LOG", statsOptions.logPath, "binary log")->required();
  stats->add_option("--graph", statsOptions.graphs, "only this graph (repeatable)");
  stats->add_option("--skip-first", statsOptions.skipFirst,
                    "leave out the first N executions of each graph (warm-up)");
  stats->add_option("--top", statsOptions.top, "event paths per graph (text: 10 by default; CSV, JSON: all)");
  static const std::vector<std::pair<std::string, StatsSort>> kSorts{
      {"total", StatsSort::Total}, {"mean", StatsSort::Mean}, {"p50", StatsSort::P50},
      {"p99", StatsSort::P99},     {"count", StatsSort::Count}, {"name", StatsSort::Name}};
  stats->add_option("--sort", statsOptions.sort, "order of the event paths: total, mean, p50, p99, count, name")
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
      ->check(CLI::Range(-128, 127))
      ->capture_default_str();
  stats->add_flag("--verbose", statsOptions.verbose, verboseHelp);
  stats->footer(
      "Percentiles are exact, from every sample, by linear interpolation between the closest\n"
      "ranks (rank (n - 1) q / 100). sd is the sample standard deviation (n - 1), cv = sd / mean.\n"
      "An event path is a top-level event's name and the names of the sub-events down to the\n"
      "event, joined by ' / '. Hardware-unit sets, burst modes and texts are counted by value.\n\n"
      "Examples:\n"
      "  vyn-profile-log stats run.log\n"
      "  vyn-profile-log stats run.log --graph graph_1 --skip-first 10 --top 20 --sort p99\n"
      "  vyn-profile-log stats run.log --format csv -o stats.csv\n\n"
      "Exit status: 0 written, 1 the log or the output failed, 2 usage error.");

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
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  report->add_option("--skip-first", reportOptions.skipFirst,
                     "leave out the first N executions of each graph (warm-up)");
  report->add_option("--unit", reportOptions.unit, "unit of times: us, ms, s or auto (by the median execution)")
      ->transform(oneOf(kUnits));
  report->add_option("--visibility", reportOptions.visibility,
                     "reader level, as the viewer's: messages whose level is lower are taken")
      ->check(CLI::Range(-128, 127))
      ->capture_default_str();
  report->add_flag("--verbose", reportOptions.verbose, verboseHelp);
  report->footer(
      "The page holds everything it shows (no script, font or style is fetched), so it\n"
      "opens from disk in any browser with no network. Hover a rectangle of the icicle\n"
      "chart or a bar of the histogram for its figures.\n\n"
      "Examples:\n"
      "  vyn-profile-log report run.log -o run.html\n"
      "  vyn-profile-log report run.log -o run.html --graph graph_1 --skip-first 10 --unit ms\n\n"
      "Exit status: 0 written, 1 the log or the output failed, 2 usage error.");

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
      ->check(CLI::Range(-128, 127))
      ->capture_default_str();
  exportRows->add_flag("--verbose", exportOptions.verbose, verboseHelp);

  DiffOptions diffOptions;
  auto* diff = app.add_subcommand(
      "diff", "Compare the executions of two logs, graph by graph: which got slower or faster");
  diff->add_option("BASE", diffOptions.basePath, "binary log to compare against")->required();
  diff->add_option("NEW", diffOptions.newPath, "binary log to compare")->required();
  diff->add_option("--threshold", diffOptions.thresholdPercent,
                   "smallest change of the median, in percent, that counts")
      ->check(CLI::NonNegativeNumber)
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
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  diff->add_option("--skip-first", diffOptions.skipFirst,
                   "leave out the first N executions of each graph (warm-up)")
      ->capture_default_str();
  diff->add_option("--visibility", diffOptions.visibility,
                   "the reader's level, -128 to 127: a message is taken when its own level is lower")
      ->check(CLI::Range(-128, 127))
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
      "smallest and largest difference, k from the rank-sum test's critical value), in\n"
      "percent of the base median.\n"
      "Order: graphs by total execution time (the larger of the two logs'), largest\n"
      "first; in each, the execution time, then the rows by adjusted p, smallest first.\n"
      "The two logs load at once: progress and --verbose lines start with \"base PATH:\"\n"
      "or \"new PATH:\".\n"
      "Exit status: 0 nothing slower, 3 some row slower, 1 a log could not be read or\n"
      "the output not written, 2 a usage error.");

  auto* repair = app.add_subcommand(
      "repair", "Copy the records before the first one that is cut short or does not verify");
  repair->add_option("IN.log", input, "damaged binary log")->required();
  repair->add_option("-o,--output", output, "binary log to write")->required()->check(kNotEmpty);

  try {
    const std::string unknown = unknownCommand(app, argc, argv);
    if (!unknown.empty()) throw CLI::ValidationError(unknown);
    app.parse(argc, argv);
    if (*synth) {
      if (!sizeText.empty() && !parseSize(sizeText, synthOptions.targetSize)) {
        throw CLI::ValidationError("--size", "'" + sizeText + "' is not a size such as 34MB or 1GiB");
      }
      if (eventsPerMessage(synthOptions) * synthOptions.messagesPerRecord > kMaxEventsPerRecord) {
        throw CLI::ValidationError("synth", "more than " + std::to_string(kMaxEventsPerRecord) +
                                                " events per record; lower --events, --sub-events, "
                                                "--depth or --messages-per-record");
      }
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
  if (*stats) return runStats(statsOptions);
  if (*report) return runReport(reportOptions);
  if (*exportRows) {
    exportOptions.visibility = static_cast<std::int8_t>(exportVisibility);
    return runExport(exportOptions);
  }
  if (*diff) return runDiff(diffOptions);
  return runTrace(input, output, verbose);
}
