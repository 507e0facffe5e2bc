// vyn-profile-log synth from an installed tree, its logs read back through the
// loader of the analysis commands: times nest and names never repeat, a shift
// changes the named event and what holds it and nothing else, unknown targets
// are refused, and sizes, seeds and the diff of two seeds behave.
#include <gmock/gmock.h>

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "common/loaded_log.h"
#include "model/event_list.h"
#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::HasSubstr;
using Json = nlohmann::json;

constexpr std::uint32_t kMicroseconds = 1;  // the unit code of a time

struct Event {
  std::vector<std::string> path;  // names from the top down
  std::uint32_t unit = 0;
  std::uint64_t value = 0;
};

struct Execution {
  std::string graph;
  std::uint64_t time = 0;
  std::vector<Event> events;  // in pre-order
};

std::string joined(const std::vector<std::string>& path) {
  std::string text;
  for (const std::string& name : path) text += (text.empty() ? "" : " / ") + name;
  return text;
}

// One list of events: the top-level events of an execution or the sub-events
// of an event, with the time that holds them when it is one.
struct EventList {
  std::string holder;
  bool timed = false;
  std::uint64_t time = 0;
  std::vector<std::size_t> members;  // indexes into the execution's events
};

std::vector<EventList> listsOf(const Execution& execution) {
  std::vector<EventList> lists{{"the execution", true, execution.time, {}}};
  std::vector<std::size_t> open{0};  // open[d]: the list that events at depth d go into
  for (std::size_t i = 0; i < execution.events.size(); ++i) {
    const Event& event = execution.events[i];
    open.resize(event.path.size());
    lists[open.back()].members.push_back(i);
    open.push_back(lists.size());
    lists.push_back({joined(event.path), event.unit == kMicroseconds, event.value, {}});
  }
  return lists;
}

struct NestingCheck {
  std::vector<std::string> faults;
  std::size_t timedLists = 0;  // lists of a time that hold a time: those the sums were checked on
};

// Every time holds the times right below it: their sum is at most the time,
// below it when selfTime is asked for. Siblings have distinct names, and no
// name repeats along a path.
NestingCheck checkNesting(const Execution& execution, bool selfTime) {
  NestingCheck check;
  for (const EventList& list : listsOf(execution)) {
    std::uint64_t sum = 0;
    bool holdsTime = false;
    std::set<std::string> names;
    for (const std::size_t i : list.members) {
      const Event& event = execution.events[i];
      if (!names.insert(event.path.back()).second) {
        check.faults.push_back("'" + event.path.back() + "' twice below " + list.holder);
      }
      if (event.unit == kMicroseconds) {
        sum += event.value;
        holdsTime = true;
      }
    }
    if (!list.timed || !holdsTime) continue;
    ++check.timedLists;
    if (sum > list.time || (selfTime && sum == list.time)) {
      check.faults.push_back(execution.graph + ": " + list.holder + " (" + std::to_string(list.time) +
                             " us) holds " + std::to_string(sum) + " us");
    }
  }
  for (const Event& event : execution.events) {
    if (std::set<std::string>(event.path.begin(), event.path.end()).size() != event.path.size()) {
      check.faults.push_back("a name repeats along " + joined(event.path));
    }
  }
  return check;
}

class SynthTest : public ToolTest {
 protected:
  void synth(std::vector<std::string> args) {
    args.insert(args.begin(), "synth");
    const ToolRun run = tool(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
  }

  // The executions of a log in the scratch directory, as the loader reads them.
  std::vector<Execution> executions(const std::string& log) {
    std::string problem;
    const std::unique_ptr<tools::LoadedLog> loaded = tools::loadLog(work.file(log), 127, problem);
    EXPECT_NE(loaded, nullptr) << problem;
    std::vector<Execution> all;
    if (loaded == nullptr) return all;
    const profiling::LogModel& model = loaded->model;
    for (const profiling::GraphSeries& series : model.executions) {
      for (const profiling::Occurrence& occurrence : series.occurrences) {
        Execution execution{std::string(model.text(series.graph)), occurrence.value, {}};
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

// The shapes, each with the events of an execution worked out by hand from
// what synth promises, and the lists of a time that hold a time.
TEST_F(SynthTest, TimesNestAndNamesNeverRepeatWhateverTheShape) {
  const struct {
    std::vector<std::string> args;
    std::size_t events;          // per execution, sub-events included
    std::size_t timedLists;      // per execution
    std::string path;            // one path every execution holds
  } kShapes[] = {
      // Layer 0, Burst, Layer 2, Layer 3 and nothing below.
      {{"--events", "4", "--depth", "0"}, 4, 1, "Layer 3"},
      // Queue wait; Burst with its mode and count; two layers each with its
      // hardware units and Compute: 1 + 3 + 3 + 3.
      {{"--events", "4", "--round-trip"}, 10, 3, "Layer 3 / Compute"},
      // Three layers of 1 + 3 + 3 (Compute's three parts), Burst of 1 + 3:
      // the execution, the layers and the three Computes hold times.
      {{"--events", "4", "--sub-events", "3", "--depth", "2"}, 25, 7, "Layer 0 / Compute / Part 3"},
      // Queue wait; Burst and six settings; Layer 2 with six sub-events, three
      // of them timed (Compute, DMA wait, Kernel 1) with six parts of six steps
      // each: 1 + 7 + (1 + 6 + 3 * (6 + 36)). Timed lists: the execution,
      // the layer, its three timed sub-events and their eighteen parts.
      {{"--events", "3", "--sub-events", "6", "--depth", "3", "--round-trip"},
       141,
       23,
       "Layer 2 / Kernel 1 / Part 6 / Step 6"},
  };
  for (const auto& shape : kShapes) {
    std::vector<std::string> args = shape.args;
    args.insert(args.end(), {"--executions", "3", "--seed", "11", "-o", "shape.log"});
    synth(args);
    const std::vector<Execution> all = executions("shape.log");
    const std::string what = ::testing::PrintToString(shape.args);
    ASSERT_EQ(all.size(), 6u) << what;
    for (const Execution& execution : all) {
      EXPECT_EQ(execution.events.size(), shape.events) << what;
      const NestingCheck check = checkNesting(execution, true);
      EXPECT_EQ(check.faults, std::vector<std::string>{}) << what;
      EXPECT_EQ(check.timedLists, shape.timedLists) << what;
      bool found = false;
      for (const Event& event : execution.events) found = found || joined(event.path) == shape.path;
      EXPECT_TRUE(found) << what << " lacks " << shape.path;
    }
  }
}

// A shifted log against the same seed's unshifted one: the event and the
// times below it scaled (rounded down), its ancestors and the execution longer
// by as many microseconds as it grew, every other value as it was.
TEST_F(SynthTest, AShiftScalesOneEventAndGrowsWhatHoldsIt) {
  const std::vector<std::string> shape = {"--events", "4", "--sub-events", "3", "--depth", "2",
                                          "--executions", "4", "--seed", "5"};
  std::vector<std::string> args = shape;
  args.insert(args.end(), {"-o", "base.log"});
  synth(args);
  const std::vector<Execution> base = executions("base.log");
  ASSERT_EQ(base.size(), 8u);

  const struct {
    std::string shift;
    std::string graph;
    std::vector<std::string> path;
    std::uint64_t numerator, denominator;  // the factor
  } kShifts[] = {
      {"graph_1/Layer 2 / Compute=+10%", "graph_1", {"Layer 2", "Compute"}, 110, 100},
      {"graph_0/Layer 3=-25%", "graph_0", {"Layer 3"}, 75, 100},
      {"graph_0/Layer 2 / Compute / Part 2=+12.5%", "graph_0", {"Layer 2", "Compute", "Part 2"}, 1125, 1000},
      {"graph_1/Layer 0=150%", "graph_1", {"Layer 0"}, 250, 100},
  };
  for (const auto& planted : kShifts) {
    args = shape;
    args.insert(args.end(), {"--shift", planted.shift, "-o", "shifted.log"});
    synth(args);
    const std::vector<Execution> shifted = executions("shifted.log");
    ASSERT_EQ(shifted.size(), base.size()) << planted.shift;
    for (std::size_t e = 0; e < base.size(); ++e) {
      Execution expected = base[e];
      if (expected.graph == planted.graph) {
        std::uint64_t before = 0, after = 0;
        for (Event& event : expected.events) {
          const bool below = event.path.size() >= planted.path.size() &&
                             std::equal(planted.path.begin(), planted.path.end(), event.path.begin());
          if (below && event.unit == kMicroseconds) {
            if (event.path == planted.path) before = event.value;
            event.value = event.value * planted.numerator / planted.denominator;
            if (event.path == planted.path) after = event.value;
          }
        }
        for (Event& event : expected.events) {
          const bool above = event.path.size() < planted.path.size() &&
                             std::equal(event.path.begin(), event.path.end(), planted.path.begin());
          if (above) event.value = event.value - before + after;
        }
        expected.time = expected.time - before + after;
        EXPECT_NE(before, after) << planted.shift;
      }
      ASSERT_EQ(shifted[e].events.size(), expected.events.size()) << planted.shift;
      EXPECT_EQ(shifted[e].graph, expected.graph);
      EXPECT_EQ(shifted[e].time, expected.time) << planted.shift << ", execution " << e;
      for (std::size_t i = 0; i < expected.events.size(); ++i) {
        EXPECT_EQ(shifted[e].events[i].path, expected.events[i].path);
        EXPECT_EQ(shifted[e].events[i].value, expected.events[i].value)
            << planted.shift << ", execution " << e << ": " << joined(expected.events[i].path);
      }
      EXPECT_EQ(checkNesting(shifted[e], false).faults, std::vector<std::string>{}) << planted.shift;
    }
  }
}

TEST_F(SynthTest, AShiftOfAnythingButATimeOfTheSessionIsAUsageError) {
  const struct {
    std::string shift;
    std::string problem;
  } kRefused[] = {
      {"graph_2/Layer 2=+10%", "no graph named 'graph_2' (the graphs are graph_0 and graph_1)"},
      {"graph_00/Layer 2=+10%", "no graph named 'graph_00'"},
      {"graph_0/Layer 9=+10%",
       "no event 'Layer 9' at the top of an execution; the top-level events are Layer 0, Burst, Layer 2, Layer 3"},
      {"graph_0/Layer 2 / Compute / Step 1=+10%",
       "no event 'Step 1' below 'Layer 2 / Compute'; the events below it are Part 1, Part 2, Part 3"},
      {"graph_0/Layer 2/Compute=+10%", "no event 'Layer 2/Compute' at the top of an execution"},
      {"graph_0/Layer 2 / Hardware units=+10%", "'Layer 2 / Hardware units' is not a time"},
      {"graph_0/Burst=+10%", "'Burst' is not a time"},
      {"graph_0/Layer 2=10", "the change '10' is not a percentage such as +10%, -25% or +0.5%"},
      {"graph_0/Layer 2=+ten%", "the change '+ten%' is not a percentage"},
      {"graph_0/Layer 2=1e1%", "the change '1e1%' is not a percentage"},
      {"graph_0/Layer 2=-100%", "a change of -100% is out of range"},
      {"graph_0/Layer 2=+1000.5%", "a change of +1000.5% is out of range"},
      {"Layer 2=+10%", "not GRAPH/EVENT PATH=CHANGE, such as 'graph_0/Layer 7 / Compute=+10%'"},
      {"/Layer 2=+10%", "no graph before the '/'"},
      {"graph_0/=+10%", "no event path after the '/'"},
  };
  for (const auto& refused : kRefused) {
    const ToolRun run = tool({"synth", "--events", "4", "--sub-events", "3", "--depth", "2", "--shift", refused.shift,
                              "-o", "x.log"});
    EXPECT_EQ(run.exitCode, 2) << refused.shift;
    EXPECT_THAT(run.err, HasSubstr("vyn-profile-log: --shift: '" + refused.shift + "': " + refused.problem))
        << refused.shift;
    EXPECT_FALSE(fileExists(work.file("x.log"))) << refused.shift;
  }
  for (const std::string change : {"+0.5%", "-25%", "10%", "+.5%", "-99.9999%", "+1000%"}) {
    const ToolRun run = tool({"synth", "--shift", "graph_1/Layer 2=" + change, "-o", "x.log"});
    EXPECT_EQ(run.exitCode, 0) << change << ": " << run.err;
  }
}

// The offsets at which the records of a log start.
std::vector<std::uint64_t> recordStarts(const std::string& bytes) {
  std::vector<std::uint64_t> starts;
  for (std::uint64_t at = 0; at + 4 <= bytes.size();) {
    starts.push_back(at);
    std::uint64_t length = 0;
    for (int b = 3; b >= 0; --b) length = length << 8 | static_cast<unsigned char>(bytes[at + b]);
    at += 4 + length;
  }
  return starts;
}

TEST_F(SynthTest, SeedsRepeatAndSizesStopAtTheRecordThatReachesThem) {
  const std::vector<std::string> shape = {"--events", "5", "--depth", "2", "--round-trip", "--executions", "3",
                                          "--shift", "graph_1/Layer 3 / Compute=-5%"};
  for (const std::string name : {"one.log", "again.log", "other.log"}) {
    std::vector<std::string> args = shape;
    args.insert(args.end(), {"--seed", name == "other.log" ? "4" : "3", "-o", name});
    synth(args);
  }
  EXPECT_EQ(scratch("one.log"), scratch("again.log"));
  EXPECT_NE(scratch("one.log"), scratch("other.log"));

  // Executions go on, a round of every graph at a time, until the records
  // written reach the size; the round's rest, the overall figure and de-init
  // make one last record.
  const struct {
    std::vector<std::string> args;
    std::uint64_t size;
  } kSizes[] = {
      {{"--size", "300KB"}, 300000},
      {{"--graphs", "2", "--events", "20", "--sub-events", "2", "--messages-per-record", "64", "--round-trip",
        "--size", "1MB"},
       1000000},
  };
  for (const auto& sized : kSizes) {
    std::vector<std::string> args = sized.args;
    args.insert(args.end(), {"-o", "sized.log"});
    synth(args);
    const std::vector<std::uint64_t> starts = recordStarts(scratch("sized.log"));
    ASSERT_GE(starts.size(), 3u);
    EXPECT_LT(starts[starts.size() - 2], sized.size) << sized.size;
    EXPECT_GE(starts.back(), sized.size) << sized.size;
  }
}

// Two seeds measure the same network: diff finds nothing. A shift planted in
// one is what diff finds, with the layer that holds it.
TEST_F(SynthTest, DiffOfTwoSeedsFindsOnlyThePlantedShift) {
  synth({"--executions", "200", "--seed", "1", "-o", "base.log"});
  synth({"--executions", "200", "--seed", "2", "-o", "same.log"});
  synth({"--executions", "200", "--seed", "2", "--shift", "graph_0/Layer 7 / Compute=+10%", "-o", "new.log"});
  const struct {
    std::string log;
    int exitCode;
    std::set<std::string> changed;  // "graph: path (verdict)"
  } kDiffs[] = {
      {"same.log", 0, {}},
      {"new.log", 3, {"graph_0: Layer 7 / Compute (slower)", "graph_0: Layer 7 (slower)"}},
  };
  for (const auto& compared : kDiffs) {
    const ToolRun run = tool({"diff", "base.log", compared.log, "--format", "json"});
    EXPECT_EQ(run.exitCode, compared.exitCode) << compared.log << ": " << run.err;
    std::set<std::string> changed;
    const Json diff = Json::parse(run.out);
    for (const Json& graph : diff.at("graphs")) {
      for (const Json& row : graph.at("rows")) {
        const std::string verdict = row.at("verdict");
        if (verdict == "no change") continue;
        const std::string path = row.at("path").is_null() ? "execution time" : row.at("path").get<std::string>();
        changed.insert(graph.at("name").get<std::string>() + ": " + path + " (" + verdict + ")");
      }
    }
    EXPECT_EQ(changed, compared.changed) << compared.log;
  }
}

}  // namespace
}  // namespace vyn::testing
