// What each graph's executions come to, event by event: the samples that the
// analysis commands summarise and compare.
//
// An event path is a top-level event's name followed by the names of the
// sub-events down to an event ("Layer conv1", "Layer conv1 / Compute"). Events of
// one path are measurements when they carry a number; hardware-unit sets, burst
// modes and texts are kinds, counted by their distinct values; events with no
// value are counted only.
#ifndef VYN_STATS_EXECUTION_PROFILE_H_
#define VYN_STATS_EXECUTION_PROFILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/log_model.h"
#include "model/text_pool.h"
#include "stats/path_values.h"
#include "stats/statistics.h"

namespace vyn::profiling {

inline constexpr std::uint32_t kNoParentPath = 0xFFFFFFFFu;

// The key that finds a path among the paths of a graph: its parent and its name.
inline std::uint64_t pathKey(std::uint32_t parent, TextId name) { return (std::uint64_t{parent} << 32) | name.value(); }

struct DistinctValue {
  std::string text;
  std::uint64_t count = 0;
};

struct PathProfile {
  std::uint32_t parent = kNoParentPath;  // index of the parent path in the graph's paths
  TextId name = kEmptyText;
  std::uint32_t depth = 0;  // 0 for top-level events
  std::uint8_t unit = 0;    // of the path's first event
  PathValues values = PathValues::None;
  std::uint64_t occurrences = 0;
  std::uint64_t executions = 0;  // executions the path appears in
  // Measured, as the profile was asked to keep: every occurrence's value, and/or
  // its sum in each execution it appears in, in execution order.
  std::vector<double> samples;
  std::vector<double> perExecution;
  // Kinds: each distinct value with its count, in order of first appearance.
  // Values are told apart by their text as the reports show it (a text value
  // ends at its first NUL), so values that read the same are one.
  std::vector<DistinctValue> kinds;
};

// Which samples of its measured paths a profile keeps.
enum class PathSamples : std::uint8_t {
  Occurrences,   // every occurrence's value: for distributions
  PerExecution,  // the sum in each execution: for comparisons of executions
  Both,          // both: for figures per occurrence beside figures per execution
};

struct ExecutionProfile {
  TextId graph = kEmptyText;
  std::vector<double> executionTimes;  // microseconds, one per execution
  std::vector<double> queueWaits;      // host round trips whose waits were told apart
  std::vector<PathProfile> paths;      // parents before their sub-paths
};

// Profiles every graph's executions, leaving out the first skipFirst of each
// (warm-up). Graphs keep the model's order.
std::vector<ExecutionProfile> profileExecutions(const LogModel& model, const Statistics& statistics,
                                                std::uint64_t skipFirst, PathSamples keep);

// "Layer conv1 / Compute": the names of a path from its top-level event down,
// in paths whose entries name their parent (kNoParentPath for none) and themselves.
template <typename Path>
std::string pathText(const LogModel& model, const std::vector<Path>& paths, std::uint32_t path) {
  std::vector<std::uint32_t> chain;
  for (std::uint32_t at = path; at != kNoParentPath; at = paths[at].parent) chain.push_back(at);
  std::string text;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!text.empty()) text += " / ";
    text += model.text(paths[*it].name);
  }
  return text;
}
inline std::string pathText(const LogModel& model, const ExecutionProfile& profile, std::uint32_t path) {
  return pathText(model, profile.paths, path);
}

}  // namespace vyn::profiling

#endif  // VYN_STATS_EXECUTION_PROFILE_H_
