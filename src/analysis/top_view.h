// What `top` shows at each refresh of a log being written: the screen it
// redraws on a terminal, and the JSON line it writes otherwise.
#ifndef VYN_ANALYSIS_TOP_VIEW_H_
#define VYN_ANALYSIS_TOP_VIEW_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/log_model.h"
#include "stats/live_figures.h"

namespace vyn::tools {

// One refresh: where the following stands and the figures brought up to date.
struct TopRefresh {
  double timeSeconds = 0;      // since top started
  double intervalSeconds = 0;  // since the previous refresh; 0 for the first
  std::uint64_t bytes = 0;     // of the whole records read
  std::uint64_t records = 0;
  std::uint64_t waitingBytes = 0;    // after them: a record still being written, or not read after a fault
  std::optional<std::string> fault;  // what stopped the reading
  std::vector<profiling::LiveGraphFigures> graphs;
};

// Executions per second over the refresh's interval; 0 on the first refresh,
// whose executions were in the log before top started.
double executionRate(const TopRefresh& refresh, const profiling::LiveGraphFigures& graph);

// The JSON line (with its line break) of docs/top-line.schema.json.
std::string topLine(const TopRefresh& refresh, const profiling::LogModel& model);

// The screen: a status line, a table of the graphs, the top events of each;
// every name shown as terminal-safe text. Without the clearing sequence.
std::string topScreen(const std::string& logPath, const TopRefresh& refresh, const profiling::LogModel& model);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_TOP_VIEW_H_
