// Average, maximum and minimum over phase occurrences, the merging and
// averaging of their events by name, and the post-load aggregation.
#include "reader/phase_statistics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>

#include "log/captured_log.h"
#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {
namespace {

constexpr std::uint32_t kUnsigned = 0x0164;
constexpr std::uint32_t kSigned = 0x0064;
constexpr std::uint32_t kDouble = 0x0264;
constexpr std::uint32_t kText = 0x0608;
constexpr std::uint32_t kNone = 0x7FFFFFFF;
constexpr std::uint32_t kObject = 5;

ProfileEvent event(const std::string& name, std::uint32_t dataType, std::uint64_t payload,
                   std::vector<ProfileEvent> children = {}, std::uint32_t unit = 1) {
  ProfileEvent e;
  e.name = name;
  e.value = {dataType, payload};
  e.unit = unit;
  e.subEvents = std::move(children);
  return e;
}
ProfileEvent u64(const std::string& name, std::uint64_t value, std::vector<ProfileEvent> children = {}) {
  return event(name, kUnsigned, value, std::move(children));
}
ProfileEvent object(const std::string& name, std::uint64_t value) {
  return event(name, kUnsigned, value, {}, kObject);
}
ProfileEvent i64(std::int64_t value) { return event("A", kSigned, static_cast<std::uint64_t>(value)); }
template <typename Number>
ProfileEvent floating(Number value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof value);
  return event("A", sizeof value == 4 ? 0x0232 : kDouble, bits);
}
PhaseStat occurrence(std::uint64_t value, std::uint64_t timestamp, std::vector<ProfileEvent> events = {}) {
  return PhaseStat{value, timestamp, "occurrence", std::move(events)};
}

// Events as "name=payload*mergeCount{sub-events}".
std::string show(const std::vector<ProfileEvent>& events) {
  std::string text;
  for (const auto& e : events) {
    text += (text.empty() ? "" : " ") + e.name + "=" + std::to_string(e.value.payload) + "*" +
            std::to_string(e.mergeCount);
    if (!e.subEvents.empty()) text += "{" + show(e.subEvents) + "}";
  }
  return text;
}

TEST(PhaseStatistics, AverageMaximumAndMinimum) {
  const auto text = [](const PhaseStat& stat) {
    return stat.name + std::to_string(stat.value) + "@" + std::to_string(stat.timestamp) + "[" +
           show(stat.subEvents) + "]";
  };
  struct Case {
    std::vector<PhaseStat> occurrences;
    const char *average, *maximum, *minimum;  // value@timestamp[events]
  };
  const Case cases[] = {
      // Zeros add nothing to the average and never make the minimum.
      {{occurrence(0, 1), occurrence(10, 2), occurrence(20, 3)}, "15@3[]", "20@3[]", "10@2[]"},
      // Ties go to the later occurrence.
      {{occurrence(7, 1, {u64("first", 1)}), occurrence(7, 2, {u64("second", 1)})},
       "7@2[first=1*1 second=1*1]", "7@2[second=1*1]", "7@2[second=1*1]"},
      // Only zeros: no minimum at all rather than the largest number.
      {{occurrence(0, 5, {u64("e", 3)})}, "0@5[e=3*1]", "0@5[e=3*1]", "0@0[]"},
      {{occurrence(0, 5, {u64("e", 3)}), occurrence(0, 6)}, "0@6[e=3*1]", "0@6[]", "0@0[]"},
      {{}, "0@0[]", "0@0[]", "0@0[]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    EXPECT_EQ(text(averagePhaseStats(c.occurrences)), c.average);
    EXPECT_EQ(text(maxPhaseStat(c.occurrences)), c.maximum);
    EXPECT_EQ(text(minPhaseStat(c.occurrences)), c.minimum);
  }
}

// The first accumulated event of a name takes the merge; unmatched events are
// appended in order without matching each other; sub-events merge per level.
// Object events start no entry of their own, but merge into one of their name.
TEST(MergeEvents, MatchingByName) {
  std::vector<ProfileEvent> accumulated;
  mergeEvents(accumulated, {object("obj", 1), u64("A", 1, {u64("c", 10), u64("d", 20), object("nested", 3)}),
                            u64("A", 2)});
  EXPECT_EQ(show(accumulated), "A=1*1{c=10*1 d=20*1 nested=3*1} A=2*1");
  mergeEvents(accumulated, {u64("N", 1), u64("A", 10, {u64("d", 2), u64("e", 5)}), u64("N", 2),
                            object("A", 5), object("new", 1)});
  EXPECT_EQ(show(accumulated), "A=16*3{c=10*1 d=22*2 nested=3*1 e=5*1} A=2*1 N=1*1 N=2*1");
}

// Merged sums keep a numeric type; finishEventAverages divides in that type.
TEST(MergeEvents, NumericTypesOfMergedValues) {
  struct Case {
    std::vector<ProfileEvent> occurrences;
    std::uint32_t dataType;
    std::uint64_t sum, average;
  };
  const auto bits = [](double d) { return floating(d).value.payload; };
  const Case cases[] = {
      {{i64(-1), u64("A", 2)}, kUnsigned, 1, 0},
      {{u64("A", 2), i64(-1)}, kUnsigned, 1, 0},
      {{i64(-3), i64(-4)}, kSigned, static_cast<std::uint64_t>(-7), static_cast<std::uint64_t>(-3)},
      {{u64("A", 2), floating(1.5)}, kDouble, bits(3.5), bits(1.75)},
      {{floating(1.5f), floating(2.5f), i64(-1)}, kDouble, bits(3.0), bits(1.0)},
  };
  for (const Case& c : cases) {
    std::vector<ProfileEvent> accumulated = {c.occurrences[0]};
    for (std::size_t i = 1; i < c.occurrences.size(); ++i) mergeEvents(accumulated, {c.occurrences[i]});
    EXPECT_EQ(accumulated[0].value.dataType, c.dataType);
    EXPECT_EQ(accumulated[0].value.payload, c.sum);
    EXPECT_EQ(accumulated[0].mergeCount, c.occurrences.size());
    finishEventAverages(accumulated);
    EXPECT_EQ(accumulated[0].value.payload, c.average);
  }
}

TEST(MergeEvents, ValuesThatAreNotNumbersStayButTheirSubEventsMerge) {
  static const char kTextValue[] = "text";
  const auto textAddress = reinterpret_cast<std::uint64_t>(kTextValue);
  std::vector<ProfileEvent> accumulated = {event("T", kText, textAddress, {u64("c", 4)}), u64("N", 5),
                                           event("V", kNone, 0)};
  mergeEvents(accumulated, {u64("T", 9, {u64("c", 6)}), event("N", kText, textAddress), u64("V", 3)});
  EXPECT_EQ(show(accumulated), "T=" + std::to_string(textAddress) + "*1{c=10*2} N=5*1 V=0*1");
  const std::uint32_t dataTypes[] = {kText, kUnsigned, kNone};
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(accumulated[i].value.dataType, dataTypes[i]);
  finishEventAverages(accumulated);
  EXPECT_EQ(accumulated[0].value.payload, textAddress);
  EXPECT_EQ(accumulated[0].subEvents[0].value.payload, 5u);
}

// The first event of a name (as the list stood when an occurrence arrived) takes
// the merge, searched from the front. A long run of occurrences whose levels are
// long, repeat names and bring new ones must merge exactly like that search.
std::vector<ProfileEvent> randomLevel(std::mt19937& random, int depth) {
  // Mostly the same names in the same order, now and then shifted or repeated.
  std::vector<ProfileEvent> level(random() % (depth == 0 ? 14 : 5));
  const unsigned shift = random() % 4 == 0 ? random() % 3 : 0;
  for (std::size_t k = 0; k < level.size(); ++k) {
    ProfileEvent& e = level[k];
    const unsigned name = random() % 5 == 0 ? random() % 24 : (k + shift) % 24;
    e = u64("n" + std::to_string(name), random() % 100);
    if (random() % 9 == 0) e.unit = kObject;
    if (depth == 0) e.subEvents = randomLevel(random, 1);
  }
  return level;
}
void mergeFromTheFront(std::vector<ProfileEvent>& accumulated, const std::vector<ProfileEvent>& incoming) {
  const std::size_t searched = accumulated.size();
  for (const ProfileEvent& e : incoming) {
    std::size_t i = 0;
    while (i < searched && accumulated[i].name != e.name) ++i;
    if (i < searched) {
      accumulated[i].value.payload += e.value.payload;
      accumulated[i].mergeCount += 1;
      mergeFromTheFront(accumulated[i].subEvents, e.subEvents);
    } else if (e.unit != kObject) {
      accumulated.push_back(e);
    }
  }
}

TEST(MergeEvents, ManyOccurrencesMergeLikeASearchFromTheFront) {
  std::mt19937 random(11);
  std::vector<PhaseStat> occurrences;
  std::vector<ProfileEvent> expected;
  for (int i = 0; i < 300; ++i) {
    occurrences.push_back(occurrence(1, i, randomLevel(random, 0)));
    mergeFromTheFront(expected, occurrences.back().subEvents);
  }
  finishEventAverages(expected);
  EXPECT_EQ(show(averagePhaseStats(occurrences).subEvents), show(expected));
}

// The post-load aggregation: queue-wait figures of host round-trip logs and the
// Init total. (The per-graph series statistics are pinned by the golden reports.)

const std::string kMultiple =
    "Multiple queue-wait time events found per execution. Cannot calculate Host Round-Trip "
    "excluding queue wait\n";
constexpr const char* kNoSample = "No queue-wait time event found per execution.";
constexpr const char* kNoMax = "No max queue-wait time event found per execution.";
constexpr const char* kNoMin = "No min queue-wait time event found per execution.";

ProfileEvent plain(std::vector<ProfileEvent> children = {}) { return u64("stage", 1, std::move(children)); }
ProfileEvent queueWait(std::uint64_t time, std::uint32_t dataType = kUnsigned) {
  ProfileEvent e = event("queue wait", dataType, time);
  e.identifier = 405;
  return e;
}
PhaseStat run(std::uint64_t value, std::vector<ProfileEvent> events = {}) {
  return occurrence(value, value * 100, std::move(events));
}
// Queue-wait samples, maxima and minima as "samples a:3,5 max a:5 min a:3".
std::string queueWaits(const VynProfileLogReader& reader) {
  std::string text = "samples";
  for (const auto& entry : reader.queueWaitSamples) {
    text += " " + entry.graphName + ":";
    for (std::size_t i = 0; i < entry.samples.size(); ++i)
      text += (i == 0 ? "" : ",") + std::to_string(entry.samples[i]);
  }
  for (const auto& [label, values] :
       {std::pair{" max", &reader.queueWaitMax}, std::pair{" min", &reader.queueWaitMin}}) {
    text += label;
    for (const auto& entry : *values) text += " " + entry.graphName + ":" + std::to_string(entry.value);
  }
  return text;
}

// Each pass stops at the first graph without exactly one queue-wait event (top
// level or one level down) and clears what it had; the next pass still runs.
TEST(Aggregation, QueueWaitPasses) {
  struct Case {
    const char* name;
    bool roundTrip;
    std::vector<GraphPhaseSeries> series;
    std::string queueWaits, out;
    std::vector<std::string> debugs;
  };
  const double time = 12.7;
  std::uint64_t floatingBits;
  std::memcpy(&floatingBits, &time, sizeof time);
  static const char kTextValue[] = "12";
  const Case cases[] = {
      {"no round trip", false, {{"a", {run(10, {queueWait(3)})}}}, "samples max min", "", {}},
      {"found", true,
       {{"a", {run(10, {queueWait(3)}), run(30, {plain({queueWait(5)})}), run(20, {plain(), queueWait(4)})}},
        {"b", {run(7, {queueWait(1)})}}},
       "samples a:3,5,4 b:1 max a:5 b:1 min a:3 b:1", "", {}},
      {"numbers the values hold", true,
       {{"g", {run(10, {queueWait(floatingBits, kDouble)}),
               run(20, {queueWait(reinterpret_cast<std::uint64_t>(kTextValue), kText)})}}},
       "samples g:12,0 max g:0 min g:12", "", {}},
      {"several in the second graph", true,
       {{"g1", {run(10, {queueWait(1)})}},
        {"g2",
         {run(10, {queueWait(2), plain({queueWait(3)})}), run(20, {queueWait(4)}), run(5, {queueWait(6)})}},
        {"g3", {run(50, {queueWait(9)}), run(0)}}},
       "samples max g1:1 g2:4 g3:9 min g1:1 g2:6 g3:9", kMultiple, {}},
      {"several everywhere", true, {{"g", {run(10, {queueWait(1), queueWait(2)})}}}, "samples max min",
       kMultiple + kMultiple + kMultiple, {}},
      {"missing", true, {{"z", {run(3, {queueWait(8)})}}, {"a", {run(10, {queueWait(1)}), run(20)}}},
       "samples max min z:8 a:1", "", {kNoSample, kNoMax}},
      {"two levels deep", true, {{"g", {run(10, {plain({plain({queueWait(1)})})})}}}, "samples max min", "",
       {kNoSample, kNoMax, kNoMin}},
      {"zero executions have no minimum", true, {{"g", {run(0, {queueWait(4)})}}}, "samples g:4 max g:4 min",
       "", {kNoMin}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vyn::testing::CapturedLog log;
    VynProfileLogReader reader("", VisibilityLevel::All);
    reader.hostRoundTrip = c.roundTrip;
    reader.executeSeries = c.series;
    std::ostringstream diagnosticText;
    reader.aggregateStatistics(diagnosticText);
    EXPECT_EQ(queueWaits(reader), c.queueWaits);
    EXPECT_EQ(diagnosticText.str(), c.out);
    std::vector<std::string> debugs;
    for (const std::string& text : log.debugs())
      if (text.find("queue-wait") != std::string::npos) debugs.push_back(text);
    EXPECT_EQ(debugs, c.debugs);
  }
}

TEST(Aggregation, InitTotal) {
  struct Case {
    bool hasInitAltStat, hasFinalize;
    std::uint64_t initTime, initTimestamp;
  };
  // The Init events message wins; else Compose + Init + every Finalize, when
  // there was a Finalize; else the values stay.
  for (const Case& c : {Case{true, true, 70, 7000}, Case{false, true, 180, 12}, Case{false, false, 3, 4}}) {
    VynProfileLogReader reader("", VisibilityLevel::All);
    reader.hasInitAltStat = c.hasInitAltStat;
    reader.initAltStat = run(70);
    reader.hasFinalize = c.hasFinalize;
    reader.composeTime = 100;
    reader.initMessageTime = 50;
    reader.initMessageTimestamp = 12;
    reader.finalizeStats = {{"a", run(10)}, {"b", run(20)}};
    reader.initTime = 3;
    reader.initTimestamp = 4;
    std::ostringstream diagnosticText;
    reader.aggregateStatistics(diagnosticText);
    EXPECT_EQ(reader.initTime, c.initTime);
    EXPECT_EQ(reader.initTimestamp, c.initTimestamp);
  }
}

}  // namespace
}  // namespace vyn::profiling
