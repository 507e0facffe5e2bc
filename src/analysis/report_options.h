// What `report` is asked for: the log, the page to write, and which executions
// of which graphs it shows in which unit.
#ifndef VYN_ANALYSIS_REPORT_OPTIONS_H_
#define VYN_ANALYSIS_REPORT_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "stats/figure_text.h"

namespace vyn::tools {

struct ReportOptions {
  std::string logPath;
  std::string outputPath;
  std::vector<std::string> graphs;  // only these, when given
  std::uint64_t skipFirst = 0;      // warm-up executions left out of each graph
  TimeUnit unit = TimeUnit::Auto;
  int visibility = 127;
  bool verbose = false;
  bool strict = false;  // a log that stops early is an error
};

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_REPORT_OPTIONS_H_
