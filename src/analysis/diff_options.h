// What `diff` is asked for: the two logs, the graphs to compare, the verdict's
// threshold, and how and where to write the comparison.
#ifndef VYN_ANALYSIS_DIFF_OPTIONS_H_
#define VYN_ANALYSIS_DIFF_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "stats/figure_text.h"
#include "stats/p_value_adjustment.h"

namespace vyn::tools {

enum class DiffFormat { Text, Json, Html };

struct DiffOptions {
  std::string basePath;
  std::string newPath;
  std::string outputPath = "-";
  std::vector<std::string> graphs;  // only these, when given
  double thresholdPercent = 5.0;    // smallest change of the median that counts
  // How the p-values of all rows are adjusted together (--correction).
  profiling::PValueAdjustment correction = profiling::PValueAdjustment::Holm;
  std::uint64_t skipFirst = 0;  // warm-up executions left out of each graph
  TimeUnit unit = TimeUnit::Auto;
  DiffFormat format = DiffFormat::Text;
  int visibility = 127;
  bool verbose = false;  // one line per log loaded, naming it, on standard error
  bool strict = false;   // a log that stops early is an error
};

// The exit status of a comparison in which some row is significantly slower:
// its adjusted p below the level and its median slower by the threshold.
inline constexpr int kDiffFoundSlower = 3;

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_DIFF_OPTIONS_H_
