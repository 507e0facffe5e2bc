// `stats`' figures written out: aligned text tables, CSV or JSON, in the time
// unit asked for, and what the command is asked for.
#ifndef VYN_ANALYSIS_STATS_WRITERS_H_
#define VYN_ANALYSIS_STATS_WRITERS_H_

#include <cstddef>
#include <optional>
#include <string>

#include "analysis/log_extent.h"
#include "stats/figure_text.h"
#include "stats/stats_figures.h"

namespace vyn::tools {

enum class StatsFormat { Text, Csv, JsonDocument };

// The selection of the figures, and how they are written.
struct StatsOptions : StatsSelection {
  std::string logPath;
  std::string outputPath = "-";
  TimeUnit unit = TimeUnit::Auto;
  StatsFormat format = StatsFormat::Text;
  std::optional<std::size_t> top;  // text shows 10 when not given; CSV and JSON all
  int visibility = 127;
  bool verbose = false;
  bool strict = false;  // a log that stops early is an error
};

// The time unit that reads best for the figures' execution times.
TimeUnit statsTimeUnit(const StatsFigures& figures, TimeUnit wanted);

std::string statsText(const StatsFigures& figures, const StatsOptions& options, const LogExtent& extent);
std::string statsCsv(const StatsFigures& figures, const StatsOptions& options);
// extent says whether the figures are of the whole log or of the records
// before the first bad one; the text says so in its heading, the JSON in
// "complete" and "unreadable", the CSV (a table only) not.
std::string statsJson(const StatsFigures& figures, const StatsOptions& options, const LogExtent& extent);
// The form options.format names.
std::string statsDocument(const StatsFigures& figures, const StatsOptions& options, const LogExtent& extent);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_STATS_WRITERS_H_
