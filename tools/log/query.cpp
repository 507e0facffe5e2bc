// query: SQL over loaded logs, its rows as a table, CSV or JSON (docs/sql.md).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>

#include "base/output_file.h"
#include "log/command_line.h"
#include "log/command_output.h"
#include "log/commands.h"
#include "query/database_export.h"
#include "query/fleet_index.h"
#include "query/fleet_query.h"

namespace vyn::tools {
namespace {

struct QueryOptions {
  std::vector<std::string> positionals;  // the logs, then the SQL unless -f gives it
  std::string sqlFile;                   // "-" for standard input
  std::string outputPath = "-";
  query::QueryFormat format = query::QueryFormat::Text;
  int visibility = 127;
  bool verbose = false;
  bool strict = false;  // a log that stops early is an error
};

// The SQL of -f: false, with the problem reported, when it cannot be read.
bool readSqlFile(const std::string& path, std::string& sql) {
  if (path == "-") {
    sql.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    if (!std::cin.bad()) return true;
    reportProblem("standard input", "cannot read the SQL");
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  if (file && (text << file.rdbuf())) {
    sql = text.str();
    return true;
  }
  if (file && file.peek() == std::ifstream::traits_type::eof()) return true;  // an empty file
  reportProblem(path, "cannot read the SQL file");
  return false;
}

int runQuery(const QueryOptions& options) {
  std::vector<std::string> logPaths = options.positionals;
  std::string sql;
  if (options.sqlFile.empty()) {
    sql = logPaths.back();
    logPaths.pop_back();
  } else if (!readSqlFile(options.sqlFile, sql)) {
    return 1;
  }
  const std::vector<std::unique_ptr<LoadedLog>> logs =
      loadCommandInputs(logPaths, options.visibility, options.verbose, options.strict);
  if (logs.empty()) return 1;
  std::vector<const LoadedLog*> fleet;
  for (const auto& log : logs) fleet.push_back(log.get());

  std::vector<std::string> inputs = logPaths;
  if (!options.sqlFile.empty()) inputs.push_back(options.sqlFile);
  base::OutputFile output;
  if (!openCommandOutput(output, options.outputPath, inputs)) return 1;
  std::string problem;
  if (!query::queryFleet(fleet, sql, options.format, output, problem)) {
    output.discard();
    if (problem.empty()) problem = output.problem();
    reportProblem("query", problem);
    return 1;
  }
  return closeCommandOutput(output);
}

}  // namespace

int runDatabaseExport(const std::vector<std::string>& logPaths, const std::string& outputPath, int visibility,
                      bool verbose, bool strict) {
  const std::vector<std::unique_ptr<LoadedLog>> logs = loadCommandInputs(logPaths, visibility, verbose, strict);
  if (logs.empty()) return 1;
  std::vector<const LoadedLog*> loaded;
  for (const auto& log : logs) loaded.push_back(log.get());
  std::string problem;
  if (!query::writeFleetDatabase(query::FleetIndex(loaded), outputPath, logPaths, problem)) {
    reportProblem(outputPath, problem);
    return 1;
  }
  return 0;
}

Command addQueryCommand(CLI::App& app) {
  auto options = std::make_shared<QueryOptions>();
  CLI::App* query = app.add_subcommand("query", "Answer a question in SQL over one or more logs");
  query
      ->add_option("LOG", options->positionals,
                   "binary logs, and last the SQL unless -f gives it (several statements may be given: the "
                   "last one's rows are written)")
      ->required();
  query->add_option("-f,--file", options->sqlFile, "read the SQL from FILE ('-' for standard input)")
      ->check(notEmptyPath());
  addChoice<query::QueryFormat>(
      query, "--format", options->format,
      {{"text", query::QueryFormat::Text}, {"csv", query::QueryFormat::Csv}, {"json", query::QueryFormat::Json}},
      "text (the default): aligned columns; csv: RFC 4180 with a header row; json: an array of objects");
  query->add_option("-o,--output", options->outputPath, "file to write (default: standard output)")
      ->check(notEmptyPath());
  addVisibilityOption(query, options->visibility, "reader level: messages whose level is lower are loaded");
  addVerboseAndStrictOptions(query, options->verbose, options->strict);
  query->callback([options] {
    if (options->sqlFile.empty() && options->positionals.size() < 2) {
      throw CLI::ValidationError("query", "give the SQL after the logs, or with -f FILE ('-f -': standard input)");
    }
  });
  query->footer(
      "Without -f, the last argument is the SQL and every other one a log; with -f, every\n"
      "argument is a log. The tables (log, graph, occurrence, event), the view execution,\n"
      "the aggregates percentile(x, p) and median(x), and examples are in docs/sql.md.\n\n"
      "Examples:\n"
      "  vyn-profile-log query run.log \"SELECT graph, median(duration_us) FROM execution GROUP BY graph\"\n"
      "  vyn-profile-log query a.log b.log -f question.sql --format csv -o answer.csv\n"
      "  echo \"SELECT count(*) FROM event\" | vyn-profile-log query run.log -f -\n\n"
      "A log that stops being readable is queried up to its first bad record (a warning says\n"
      "where; its log row has complete = 0); --strict makes it an error.\n\n"
      "Exit status: 0 answered, 1 a log, the SQL or the output failed, or --strict found a log\n"
      "incomplete; 2 a usage error.");
  return {query, [options] { return runQuery(*options); }};
}

}  // namespace vyn::tools
