// Average, maximum and minimum over phase occurrences, the merging and
// averaging of their events by name, and the queue waits of host round trips.
#include "stats/statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "log/captured_log.h"
#include "stats/phase_statistics.h"

namespace vyn::profiling {
namespace {

using Timed = std::tuple<std::uint64_t, std::uint64_t, std::string>;  // value, timestamp, events

// Events are written as "A=u1{c=i-2 *d=u3} q#405=d1.5 T='text' N=-": a '*' marks
// raw data (unit Object), '#' an identifier; values are u unsigned, i signed,
// f single, d double, a text, or - for none; sub-events follow in braces.
struct Model {
  TextId id(const std::string& name) {
    return names.count(name) != 0 ? names[name] : names[name] = log.texts.add(name);
  }
  EventRow row(std::string token, std::uint8_t depth) {
    EventRow row;
    row.depth = depth;
    row.unit = token[0] == '*' ? EventUnit::Object : EventUnit::Microseconds;
    if (token[0] == '*') token.erase(0, 1);
    const std::size_t equals = token.find('='), hash = token.find('#');
    if (hash < equals) row.identifier = static_cast<std::uint32_t>(std::stoul(token.substr(hash + 1)));
    row.name = id(token.substr(0, std::min(hash, equals)));  // interned: events merge by name id
    const std::string value = token.substr(equals + 2);
    const auto set = [&row](ValueType type, auto number) {
      row.type = type;
      std::memcpy(&row.bits, &number, sizeof number);
    };
    switch (token[equals + 1]) {
      case 'u':
        set(ValueType::UInt64, std::stoull(value));
        break;
      case 'i':
        set(ValueType::Int64, std::stoll(value));
        break;
      case 'f':
        set(ValueType::Float32, std::stof(value));
        break;
      case 'd':
        set(ValueType::Float64, std::stod(value));
        break;
      case '\'':
        set(ValueType::Text, log.texts.add(value.substr(0, value.size() - 1)));
        break;
    }
    return row;
  }
  Occurrence occurrence(const Timed& timed) {
    const auto& [value, timestamp, events] = timed;
    std::vector<EventRow> rows;
    std::uint8_t depth = 0;
    for (std::size_t at = 0; at < events.size();) {
      const std::size_t end = std::min(events.find_first_of(" {}", at), events.size());
      if (end > at) rows.push_back(row(events.substr(at, end - at), depth));
      if (end < events.size() && events[end] == '{') ++depth;
      if (end < events.size() && events[end] == '}') --depth;
      at = end + 1;
    }
    return {value, timestamp, id("occurrence"), log.events.append(rows.data(), rows.size())};
  }
  LogModel log;
  std::map<std::string, TextId> names;
};

std::string valueText(const EventValue& value) {
  const DecodedValue v = decodeValue(value);
  std::ostringstream text;
  if (v.kind == DecodedValue::Kind::None) text << '-';
  if (v.kind == DecodedValue::Kind::Unsigned) text << 'u' << v.unsignedNumber;
  if (v.kind == DecodedValue::Kind::Signed) text << 'i' << v.signedNumber;
  if (v.kind == DecodedValue::Kind::Floating)
    text << (value.dataType == ValueDataType::Float32 ? 'f' : 'd') << v.floating;
  if (v.kind == DecodedValue::Kind::Text) text << '\'' << v.text << '\'';
  return text.str();
}

// Events written as above, without identifiers.
std::string show(const EventList& list) {
  std::string text;
  std::uint64_t open = 0;
  walkEvents(list, [&](const EventItem& e) {
    if (e.depth > open) {
      text += '{';
      ++open;
    } else {
      for (; open > e.depth; --open) text += '}';
      if (!text.empty()) text += ' ';
    }
    text += (e.unit == EventUnit::Object ? "*" : "") + std::string(e.name) + "=" + valueText(e.value);
    return true;
  });
  return text.append(open, '}');
}

// "[name ]value@timestamp[events]"
std::string show(const LogModel& log, TextId name, std::uint64_t value, std::uint64_t timestamp,
                 const EventList& events) {
  return (name == kEmptyText ? "" : std::string(log.text(name)) + " ") + std::to_string(value) + "@" +
         std::to_string(timestamp) + "[" + show(events) + "]";
}

TEST(PhaseStatistics, AverageMaximumAndMinimum) {
  const std::tuple<std::vector<Timed>, const char*, const char*, const char*> cases[] = {
      // Zeros add nothing to the average and never make the minimum.
      {{{0, 1, ""}, {10, 2, ""}, {20, 3, ""}}, "15@3[]", "20@3[]", "10@2[]"},
      // Ties go to the later occurrence.
      {{{7, 1, "first=u1"}, {7, 2, "second=u1"}}, "7@2[first=u1 second=u1]", "7@2[second=u1]", "7@2[second=u1]"},
  };
  for (const auto& [timed, average, maximum, minimum] : cases) {
    SCOPED_TRACE(average);
    Model m;
    std::vector<Occurrence> occurrences;
    for (const Timed& o : timed) occurrences.push_back(m.occurrence(o));
    const AveragedPhase averaged = averageOf(m.log, occurrences);
    EXPECT_EQ(show(m.log, kEmptyText, averaged.value, averaged.timestamp, averagedEvents(m.log, averaged)), average);
    for (const auto& [extreme, expected] :
         {std::pair{maximumOf(occurrences), maximum}, {minimumOf(occurrences), minimum}}) {
      EXPECT_EQ(show(m.log, extreme.name, extreme.value, extreme.timestamp, m.log.list(extreme.events)), expected);
    }
  }
}

// How values of each type add up; merging by name is checked against a reference below.
TEST(PhaseStatistics, AveragedEvents) {
  const std::tuple<const char*, std::vector<std::string>, const char*> cases[] = {
      {"signed and unsigned", {"A=i-1", "A=u2"}, "A=u0"},
      {"unsigned sums wrap", {"A=u18446744073709551615", "A=u3"}, "A=u1"},
      {"signed", {"A=i-3", "A=i-4"}, "A=i-3"},
      {"one single stays single", {"A=f1.5"}, "A=f1.5"},
      {"unsigned and floating", {"A=u2", "A=d1.5"}, "A=d1.75"},
      {"singles and signed", {"A=f1.5", "A=f2.5", "A=i-1"}, "A=d1"},
      // A value that is not a number neither changes nor counts, but the
      // sub-events below it merge.
      {"not numbers", {"T='x'{c=u4} N=u5 V=-", "T=u9{c=u6} N='y' V=u3"}, "T='x'{c=u5} N=u5 V=-"},
  };
  for (const auto& [name, lists, expected] : cases) {
    SCOPED_TRACE(name);
    Model m;
    std::vector<Occurrence> occurrences;
    for (const std::string& events : lists) occurrences.push_back(m.occurrence({1, 0, events}));
    EXPECT_EQ(show(averagedEvents(m.log, averageOf(m.log, occurrences))), expected);
  }
}

// A plain reference: the first event of a name in the list as it stood when an
// occurrence arrived, searched from the front.
struct Merged {
  std::string name;  // "*name" for raw data
  std::uint64_t sum = 0, count = 1;
  std::vector<Merged> subEvents;
};
std::string show(const std::vector<Merged>& events) {
  std::string text;
  for (const Merged& e : events) {
    text += (text.empty() ? "" : " ") + e.name + "=u" + std::to_string(e.sum / e.count);
    if (!e.subEvents.empty()) text += "{" + show(e.subEvents) + "}";
  }
  return text;
}
void mergeFromTheFront(std::vector<Merged>& accumulated, const std::vector<Merged>& incoming) {
  const auto bare = [](const std::string& name) { return name.substr(name[0] == '*'); };
  const std::size_t searched = accumulated.size();
  for (const Merged& e : incoming) {
    std::size_t k = 0;
    while (k < searched && bare(accumulated[k].name) != bare(e.name)) ++k;
    if (k < searched) {
      accumulated[k].sum += e.sum;
      accumulated[k].count += 1;
      mergeFromTheFront(accumulated[k].subEvents, e.subEvents);
    } else if (e.name[0] != '*') {
      accumulated.push_back(e);
    }
  }
}

// Mostly the same names in the same order, now and then shifted or repeated;
// levels long enough to be searched through an index.
std::vector<Merged> randomLevel(std::mt19937& random, int depth) {
  std::vector<Merged> level(random() % (depth == 0 ? 16 : 12));
  const auto shift = random() % 4 == 0 ? random() % 3 : 0;
  for (std::size_t k = 0; k < level.size(); ++k) {
    const auto name = random() % 5 == 0 ? random() % 24 : (k + shift) % 24;
    level[k].name = (random() % 5 == 0 ? "*n" : "n") + std::to_string(name);
    level[k].sum = random() % 100;
    if (depth == 0) level[k].subEvents = randomLevel(random, 1);
  }
  return level;
}

TEST(PhaseStatistics, ManyOccurrencesMergeLikeASearchFromTheFront) {
  std::mt19937 random(11);
  Model m;
  std::vector<Occurrence> occurrences;
  std::vector<Merged> expected;
  for (int k = 0; k < 300; ++k) {
    std::vector<Merged> events = randomLevel(random, 0);
    // Once, far more events than most averages hold.
    for (int n = 0; n < (k == 150 ? 3000 : 0); ++n)
      events.push_back({"m" + std::to_string(n), 1, 1, {{"x", 2, 1, {}}}});
    occurrences.push_back(m.occurrence({1, k, show(events)}));
    mergeFromTheFront(expected, events);
  }
  EXPECT_EQ(show(averagedEvents(m.log, averageOf(m.log, occurrences))), show(expected));
}

const std::string kMultiple =
    "Multiple queue-wait time events found per execution. Cannot calculate Host Round-Trip "
    "excluding queue wait\n";
constexpr const char* kNoSample = "No queue-wait time event found per execution.";
constexpr const char* kNoMax = "No max queue-wait time event found per execution.";
constexpr const char* kNoMin = "No min queue-wait time event found per execution.";

using Graph = std::pair<std::string, std::vector<Timed>>;  // a name and its executions
void addExecutions(Model& m, const std::vector<Graph>& graphs) {
  for (const auto& [name, runs] : graphs) {
    GraphSeries& series = m.log.executions.emplace_back(GraphSeries{m.id(name), {}});
    for (const Timed& run : runs) series.occurrences.push_back(m.occurrence(run));
  }
}

// "samples a:3,5 max a:5 min a:3"
std::string queueWaits(const LogModel& log, const Statistics& statistics) {
  std::string text = "samples";
  const auto graph = [&log](TextId id) { return " " + std::string(log.text(id)) + ":"; };
  for (const auto& entry : statistics.queueWaitSamples)
    for (std::size_t k = 0; k < entry.samples.size(); ++k)
      text += (k == 0 ? graph(entry.graph) : ",") + std::to_string(entry.samples[k]);
  for (const auto& [label, values] :
       {std::pair{" max", &statistics.queueWaitMax}, {" min", &statistics.queueWaitMin}}) {
    text += label;
    for (const auto& entry : *values) text += graph(entry.graph) + std::to_string(entry.value);
  }
  return text;
}

// Each pass stops at the first graph without exactly one queue-wait event (top
// level or one level down) and clears what it had; the next pass still runs.
TEST(Statistics, QueueWaitPasses) {
  const std::tuple<const char*, std::vector<Graph>, const char*, std::string, std::vector<std::string>> cases[] = {
      {"found",
       {{"a", {{10, 1, "q#405=u3"}, {30, 2, "s=u1{q#405=u5}"}, {20, 3, "s=u1 q#405=u4"}}}, {"b", {{7, 4, "q#405=u1"}}}},
       "samples a:3,5,4 b:1 max a:5 b:1 min a:3 b:1",
       "",
       {}},
      {"several in the second graph",
       {{"g1", {{10, 1, "q#405=u1"}}},
        {"g2", {{10, 2, "q#405=u2 s=u1{q#405=u3}"}, {20, 3, "q#405=u4"}, {5, 4, "q#405=u6"}}},
        {"g3", {{50, 5, "q#405=u9"}, {0, 6, ""}}}},
       "samples max g1:1 g2:4 g3:9 min g1:1 g2:6 g3:9",
       kMultiple,
       {}},
      {"missing",
       {{"z", {{3, 1, "q#405=u8"}}}, {"a", {{10, 2, "q#405=u1"}, {20, 3, ""}}}},
       "samples max min z:8 a:1",
       "",
       {kNoSample, kNoMax}},
      {"two levels deep",
       {{"g", {{10, 1, "s=u1{s=u1{q#405=u1}}"}}}},
       "samples max min",
       "",
       {kNoSample, kNoMax, kNoMin}},
  };
  for (const auto& [name, graphs, found, notices, debugs] : cases) {
    SCOPED_TRACE(name);
    vyn::testing::CapturedLog captured;
    Model m;
    m.log.hostRoundTrip = true;
    addExecutions(m, graphs);
    Statistics statistics;
    std::string printed;
    appendStatistics(m.log, statistics, printed);
    EXPECT_EQ(queueWaits(m.log, statistics), found);
    EXPECT_EQ(printed, notices);
    EXPECT_EQ(captured.debugs(), debugs);
  }
}

}  // namespace
}  // namespace vyn::profiling
