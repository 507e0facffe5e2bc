// vyn-profile-log synth from an installed tree, its logs read back through the
// loader of the analysis commands: times nest and names never repeat, a shift
// changes the named event and what holds it and nothing else, unknown targets
// are refused. A seed gives the same log again: the shift test compares with
// the unshifted log of the same seed.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "analysis/loaded_log.h"
#include "model/event_list.h"
#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::HasSubstr;

using profiling::EventUnit::Microseconds;

struct SynthEvent {
  std::vector<std::string> path;  // names from the top down
  std::uint32_t unit = 0;
  std::uint64_t value = 0;
};

struct SynthExecution {
  std::string graph;
  std::uint64_t time = 0;
  std::vector<SynthEvent> events;  // in pre-order
};

std::string joined(const std::vector<std::string>& path) {
  std::string text;
  for (const std::string& name : path) text += (text.empty() ? "" : " / ") + name;
  return text;
}

// An execution as lines "path = value", its graph and time first.
std::vector<std::string> lines(const SynthExecution& execution) {
  std::vector<std::string> all{execution.graph + " = " + std::to_string(execution.time)};
  for (const SynthEvent& event : execution.events)
    all.push_back(joined(event.path) + " = " + std::to_string(event.value));
  return all;
}

// Every time holds the times right below it: their sum is at most the time,
// below it when selfTime is asked for. Siblings have distinct names, and no
// name repeats along a path. Returns the faults.
std::vector<std::string> nestingFaults(const SynthExecution& execution, bool selfTime) {
  std::vector<std::string> faults;
  // By holder, 0 the execution and i + 1 the i-th event: the sum of the times
  // right below it, and the names seen there.
  std::map<std::size_t, std::uint64_t> sums;
  std::set<std::pair<std::size_t, std::string>> names;
  std::vector<std::size_t> open{0};  // open[d]: the holder of the events at depth d
  for (std::size_t i = 0; i < execution.events.size(); ++i) {
    const SynthEvent& event = execution.events[i];
    open.resize(event.path.size());
    if (!names.emplace(open.back(), event.path.back()).second) faults.push_back(joined(event.path) + " twice");
    if (std::set<std::string>(event.path.begin(), event.path.end()).size() != event.path.size()) {
      faults.push_back("a name repeats along " + joined(event.path));
    }
    if (event.unit == Microseconds) sums[open.back()] += event.value;
    open.push_back(i + 1);
  }
  for (const auto& [holder, sum] : sums) {
    const SynthEvent* event = holder == 0 ? nullptr : &execution.events[holder - 1];
    if (event != nullptr && event->unit != Microseconds) continue;
    const std::uint64_t time = event == nullptr ? execution.time : event->value;
    if (sum > time || (selfTime && sum == time)) {
      faults.push_back(execution.graph + ": " + (event ? joined(event->path) : "the execution") + " (" +
                       std::to_string(time) + " us) holds " + std::to_string(sum) + " us");
    }
  }
  return faults;
}

class SynthTest : public ToolTest {
 protected:
  // Runs synth with args and "-o log"; returns the log's executions as the loader reads them.
  std::vector<SynthExecution> synth(std::vector<std::string> args, const std::string& log) {
    args.insert(args.begin(), "synth");
    args.insert(args.end(), {"-o", log});
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::string problem;
    const std::unique_ptr<tools::LoadedLog> loaded = tools::loadLog(work.file(log), 127, problem);
    EXPECT_NE(loaded, nullptr) << problem;
    std::vector<SynthExecution> all;
    if (loaded == nullptr) return all;
    const profiling::LogModel& model = loaded->model;
    for (const profiling::GraphSeries& series : model.executions) {
      for (const profiling::Occurrence& occurrence : series.occurrences) {
        SynthExecution execution{std::string(model.text(series.graph)), occurrence.value, {}};
        std::vector<std::string> path;
        profiling::walkEvents(model.list(occurrence.events), [&](const profiling::EventItem& item) {
          path.resize(item.depth);
          path.emplace_back(item.name);
          execution.events.push_back({path, item.unit, profiling::valueAsUnsigned(item.value)});
          return true;
        });
        all.push_back(std::move(execution));
      }
    }
    return all;
  }
};

// A shifted log against the same seed's unshifted one: the event and the
// times below it scaled (rounded down), its ancestors and the execution longer
// by as many microseconds as it grew, every other value as it was.
TEST_F(SynthTest, AShiftScalesOneEventAndGrowsWhatHoldsIt) {
  const std::vector<std::string> shape = {"--events",     "4", "--sub-events", "3", "--depth", "2",
                                          "--executions", "4", "--seed",       "5"};
  const std::vector<SynthExecution> base = synth(shape, "base.log");
  ASSERT_EQ(base.size(), 8u);
  for (const SynthExecution& execution : base) EXPECT_EQ(nestingFaults(execution, true), std::vector<std::string>{});
  const struct {
    std::string shift, graph;
    std::vector<std::string> path;
    std::uint64_t numerator, denominator;  // the factor
  } kShifts[] = {
      {"graph_1/Layer 2 / Compute=-25%", "graph_1", {"Layer 2", "Compute"}, 75, 100},
      {"graph_0/Layer 2 / Compute / Part 2=+12.5%", "graph_0", {"Layer 2", "Compute", "Part 2"}, 1125, 1000},
  };
  for (const auto& planted : kShifts) {
    std::vector<std::string> args = shape;
    args.insert(args.end(), {"--shift", planted.shift});
    const std::vector<SynthExecution> shifted = synth(args, "shifted.log");
    SCOPED_TRACE(planted.shift);
    ASSERT_EQ(shifted.size(), base.size());
    for (std::size_t e = 0; e < base.size(); ++e) {
      SynthExecution expected = base[e];
      if (expected.graph == planted.graph) {
        // The event and the times below it scaled, those above it grown by as
        // much as it grew (modulo 2^64 when it shrank).
        const auto starts = [](const std::vector<std::string>& whole, const std::vector<std::string>& part) {
          return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
        };
        std::uint64_t grown = 0;
        for (SynthEvent& event : expected.events) {
          if (!starts(event.path, planted.path) || event.unit != Microseconds) continue;
          const std::uint64_t scaled = event.value * planted.numerator / planted.denominator;
          if (event.path == planted.path) grown = scaled - event.value;
          event.value = scaled;
        }
        for (SynthEvent& event : expected.events) {
          if (event.path.size() < planted.path.size() && starts(planted.path, event.path)) event.value += grown;
        }
        expected.time += grown;
        EXPECT_NE(grown, 0u);
      }
      EXPECT_EQ(lines(shifted[e]), lines(expected)) << "execution " << e;
      EXPECT_EQ(nestingFaults(shifted[e], false), std::vector<std::string>{});
    }
  }
}

TEST_F(SynthTest, AShiftOfAnythingButATimeOfTheSessionIsAUsageError) {
  const struct {
    std::string shift;
    std::string problem;
  } kRefused[] = {
      {"graph_2/Layer 2=+10%", "no graph named 'graph_2' (the graphs are graph_0 and graph_1)"},
      {"graph_0/Layer 2 / Hardware units=+10%", "'Layer 2 / Hardware units' is not a time"},
  };
  for (const auto& refused : kRefused) {
    const ToolRun run =
        tool({"synth", "--events", "4", "--sub-events", "3", "--depth", "2", "--shift", refused.shift, "-o", "x.log"});
    EXPECT_EQ(run.exitCode, 2) << refused.shift;
    EXPECT_THAT(run.err, HasSubstr("vyn-profile-log: --shift: '" + refused.shift + "': " + refused.problem));
    EXPECT_FALSE(fileExists(work.file("x.log"))) << refused.shift;
  }
}

}  // namespace
}  // namespace vyn::testing
