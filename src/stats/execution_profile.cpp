#include "stats/execution_profile.h"

#include <cmath>
#include <unordered_map>
#include <utility>

#include "base/number_text.h"
#include "base/parallel_for.h"
#include "model/backend_identifiers.h"
#include "model/event_value.h"
#include "stats/decoded_number.h"
#include "stats/path_values.h"

namespace vyn::profiling {
namespace {

std::string kindText(const EventRow& row, const TextPool& texts) {
  if (row.identifier == backend::kHardwareUnits) {
    return std::string(backend::hardwareUnitNames(static_cast<std::uint8_t>(row.bits & 0xFFu)));
  }
  const DecodedValue value = decodeValue(rowValue(row, texts));
  switch (value.kind) {
    case DecodedValue::Kind::Text:
      return value.text != nullptr ? value.text : "";
    case DecodedValue::Kind::Signed:
      return base::numberText(value.signedNumber);
    case DecodedValue::Kind::Unsigned:
      return base::numberText(value.unsignedNumber);
    case DecodedValue::Kind::Floating:
      return base::shortestText(value.floating);
    default:
      return {};
  }
}

// The paths of one graph, found by parent and name. Executions of a graph
// mostly repeat the same events in the same order, so each parent first tries
// the sub-path that followed the one found last.
class PathTable {
 public:
  explicit PathTable(std::vector<PathProfile>& paths) : paths_(paths) {}

  std::uint32_t find(std::uint32_t parent, const EventRow& row) {
    Children& children = parent == kNoParentPath ? roots_ : children_[parent];
    if (children.guess < children.paths.size()) {
      const std::uint32_t guessed = children.paths[children.guess];
      if (paths_[guessed].name == row.name) return found(children, children.guess);
    }
    if (children.paths.size() <= kScanned) {
      for (std::size_t at = 0; at < children.paths.size(); ++at) {
        if (paths_[children.paths[at]].name == row.name) return found(children, at);
      }
    } else if (const auto it = index_.find(pathKey(parent, row.name)); it != index_.end()) {
      return found(children, it->second.position);
    }
    return added(children, parent, row);
  }

 private:
  static constexpr std::size_t kScanned = 8;
  struct Children {
    std::vector<std::uint32_t> paths;
    std::size_t guess = 0;
  };
  struct Entry {
    std::size_t position;  // in the parent's children
  };

  std::uint32_t found(Children& children, std::size_t at) {
    children.guess = at + 1 < children.paths.size() ? at + 1 : 0;
    return children.paths[at];
  }

  std::uint32_t added(Children& children, std::uint32_t parent, const EventRow& row) {
    const auto id = static_cast<std::uint32_t>(paths_.size());
    PathProfile path;
    path.parent = parent;
    path.name = row.name;
    path.depth = parent == kNoParentPath ? 0 : paths_[parent].depth + 1;
    path.unit = row.unit;
    path.values = pathValuesOf(row);
    paths_.push_back(std::move(path));
    index_.emplace(pathKey(parent, row.name), Entry{children.paths.size()});
    children.paths.push_back(id);
    children.guess = 0;
    // Last: growing the table may move the parent's children, which children names.
    children_.emplace_back();
    return id;
  }

  std::vector<PathProfile>& paths_;
  Children roots_;
  std::vector<Children> children_;  // by path
  std::unordered_map<std::uint64_t, Entry> index_;
};

class GraphProfiler {
 public:
  GraphProfiler(const LogModel& model, ExecutionProfile& profile, PathSamples keep)
      : model_(model), profile_(profile), table_(profile.paths), keep_(keep) {}

  void addExecution(std::uint64_t execution, const EventList& events) {
    if (events.empty()) return;
    const unsigned top = events.begin()->depth;
    stack_.clear();
    for (const EventRow& row : events) {
      std::size_t depth = row.depth - top;
      if (depth > stack_.size()) depth = stack_.size();
      const std::uint32_t parent = depth == 0 ? kNoParentPath : stack_[depth - 1];
      const std::uint32_t id = table_.find(parent, row);
      stack_.resize(depth + 1);
      stack_[depth] = id;
      if (lastExecution_.size() <= id) lastExecution_.resize(id + 1, kNever);
      count(id, lastExecution_[id] != execution, row);
      lastExecution_[id] = execution;
    }
  }

 private:
  static constexpr std::uint64_t kNever = ~std::uint64_t{0};

  void count(std::uint32_t id, bool firstInExecution, const EventRow& row) {
    PathProfile& path = profile_.paths[id];
    ++path.occurrences;
    const bool keepOccurrences = keep_ != PathSamples::PerExecution;
    const bool keepSums = keep_ != PathSamples::Occurrences;
    if (firstInExecution) {
      ++path.executions;
      if (path.values == PathValues::Measured && keepSums) path.perExecution.push_back(0.0);
    }
    if (path.values == PathValues::Measured) {
      const double number = measuredNumber(row, model_.texts);
      if (!std::isfinite(number)) return;
      if (keepOccurrences) path.samples.push_back(number);
      if (keepSums) path.perExecution.back() += number;
    } else if (path.values == PathValues::Kinds) {
      countKind(id, path, row);
    }
  }

  // A value's bits tell it apart from most others (texts are interned once), so
  // its text is made only the first time its bits are met. Different bits may
  // still read the same (texts that differ only after a NUL, unit bits that have
  // no name), so a new text is looked up among the path's kinds before it is added.
  void countKind(std::uint32_t id, PathProfile& path, const EventRow& row) {
    const std::uint64_t bits = row.identifier == backend::kHardwareUnits ? (row.bits & 0xFFu) : row.bits;
    const auto [known, added] = kindIndex_.try_emplace(std::make_pair(id, bits), path.kinds.size());
    if (added) {
      std::string text = kindText(row, model_.texts);
      const auto [same, isNew] = kindByText_.try_emplace(std::make_pair(id, text), path.kinds.size());
      known->second = same->second;
      if (isNew) path.kinds.push_back({std::move(text), 0});
    }
    ++path.kinds[known->second].count;
  }

  struct PairHash {
    std::size_t operator()(const std::pair<std::uint32_t, std::uint64_t>& key) const {
      return std::hash<std::uint64_t>()(key.second * 0x9E3779B97F4A7C15ull ^ key.first);
    }
  };
  struct TextPairHash {
    std::size_t operator()(const std::pair<std::uint32_t, std::string>& key) const {
      return std::hash<std::string>()(key.second) * 31 + key.first;
    }
  };

  const LogModel& model_;
  ExecutionProfile& profile_;
  PathTable table_;
  const PathSamples keep_;
  std::vector<std::uint32_t> stack_;          // the path at each depth of the current event
  std::vector<std::uint64_t> lastExecution_;  // by path
  // Where each kind of a path's values sits in its kinds: by path and value
  // bits, and by path and the value's text.
  std::unordered_map<std::pair<std::uint32_t, std::uint64_t>, std::size_t, PairHash> kindIndex_;
  std::unordered_map<std::pair<std::uint32_t, std::string>, std::size_t, TextPairHash> kindByText_;
};

const QueueWaitSamples* queueWaitsOf(const Statistics& statistics, const GraphSeries& series) {
  for (const QueueWaitSamples& waits : statistics.queueWaitSamples) {
    if (waits.graph == series.graph && waits.samples.size() == series.occurrences.size()) return &waits;
  }
  return nullptr;
}

}  // namespace

std::vector<ExecutionProfile> profileExecutions(const LogModel& model, const Statistics& statistics,
                                                std::uint64_t skipFirst, PathSamples keep) {
  std::vector<ExecutionProfile> profiles(model.executions.size());
  // Graphs are profiled apart from each other, so each may take a core.
  base::parallelFor(profiles.size(), [&](std::size_t graph) {
    const GraphSeries& series = model.executions[graph];
    ExecutionProfile& profile = profiles[graph];
    profile.graph = series.graph;
    const QueueWaitSamples* waits = model.hostRoundTrip ? queueWaitsOf(statistics, series) : nullptr;
    GraphProfiler profiler(model, profile, keep);
    for (std::uint64_t at = skipFirst; at < series.occurrences.size(); ++at) {
      const Occurrence& run = series.occurrences[at];
      profile.executionTimes.push_back(static_cast<double>(run.value));
      if (waits != nullptr) profile.queueWaits.push_back(static_cast<double>(waits->samples[at]));
      profiler.addExecution(at, model.list(run.events));
    }
  });
  return profiles;
}

}  // namespace vyn::profiling
