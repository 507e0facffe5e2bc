// Average, maximum and minimum over phase occurrences, and the merging and
// averaging of their events by name.
#include "reader/phase_statistics.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kUnsigned = 0x0164;
constexpr std::uint32_t kSigned = 0x0064;
constexpr std::uint32_t kDouble = 0x0264;
constexpr std::uint32_t kText = 0x0608;
constexpr std::uint32_t kNone = 0x7FFFFFFF;
constexpr std::uint32_t kObject = 5;

ProfileEvent event(const std::string& name, std::uint32_t dataType, std::uint64_t payload,
                   std::vector<ProfileEvent> children = {}) {
  ProfileEvent e;
  e.name = name;
  e.value = {dataType, payload};
  e.unit = 1;
  e.subEvents = std::move(children);
  return e;
}
ProfileEvent u64(const std::string& name, std::uint64_t value, std::vector<ProfileEvent> children = {}) {
  return event(name, kUnsigned, value, std::move(children));
}
ProfileEvent object(const std::string& name, std::uint64_t value) {
  ProfileEvent e = u64(name, value);
  e.unit = kObject;
  return e;
}
ProfileEvent i64(const std::string& name, std::int64_t value) {
  return event(name, kSigned, static_cast<std::uint64_t>(value));
}
template <typename Number>
ProfileEvent floating(const std::string& name, Number value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof value);
  return event(name, sizeof value == 4 ? 0x0232 : kDouble, bits);
}
double asDouble(const ProfileEvent& e) {
  double number;
  std::memcpy(&number, &e.value.payload, sizeof number);
  return number;
}

PhaseStat occurrence(std::uint64_t value, std::uint64_t timestamp, std::vector<ProfileEvent> events = {}) {
  return PhaseStat{value, timestamp, "occurrence", std::move(events)};
}

std::vector<std::string> names(const std::vector<ProfileEvent>& events) {
  std::vector<std::string> list;
  for (const auto& e : events) list.push_back(e.name);
  return list;
}
std::vector<std::uint64_t> payloads(const std::vector<ProfileEvent>& events) {
  std::vector<std::uint64_t> list;
  for (const auto& e : events) list.push_back(e.value.payload);
  return list;
}

TEST(PhaseStatistics, ZeroValuesDoNotCountTowardsAverageOrMinimum) {
  const std::vector<PhaseStat> occurrences = {occurrence(0, 1), occurrence(10, 2), occurrence(20, 3)};
  const PhaseStat average = averagePhaseStats(occurrences);
  const PhaseStat maximum = maxPhaseStat(occurrences);
  const PhaseStat minimum = minPhaseStat(occurrences);
  EXPECT_EQ(average.value, 15u);
  EXPECT_EQ(average.timestamp, 3u);
  EXPECT_EQ(maximum.value, 20u);
  EXPECT_EQ(maximum.timestamp, 3u);
  EXPECT_EQ(minimum.value, 10u);
  EXPECT_EQ(minimum.timestamp, 2u);
  for (const PhaseStat& result : {average, maximum, minimum}) EXPECT_EQ(result.name, "");
}

TEST(PhaseStatistics, TiesGoToTheLaterOccurrence) {
  const std::vector<PhaseStat> occurrences = {occurrence(7, 1, {u64("first", 1)}),
                                              occurrence(7, 2, {u64("second", 1)})};
  for (const PhaseStat& result : {maxPhaseStat(occurrences), minPhaseStat(occurrences)}) {
    EXPECT_EQ(result.timestamp, 2u);
    EXPECT_THAT(names(result.subEvents), ElementsAre("second"));
  }
}

// One zero occurrence is the maximum; none qualifies for the minimum, which is
// then empty rather than the largest number.
TEST(PhaseStatistics, ZeroOccurrences) {
  const PhaseStat maximum = maxPhaseStat({occurrence(0, 5, {u64("e", 3)})});
  EXPECT_EQ(maximum.value, 0u);
  EXPECT_EQ(maximum.timestamp, 5u);
  EXPECT_THAT(names(maximum.subEvents), ElementsAre("e"));
  EXPECT_EQ(averagePhaseStats({occurrence(0, 5, {u64("e", 3)})}).value, 0u);
  const PhaseStat minimum = minPhaseStat({occurrence(0, 5, {u64("e", 3)}), occurrence(0, 6)});
  EXPECT_EQ(minimum.value, 0u);
  EXPECT_EQ(minimum.timestamp, 0u);
  EXPECT_THAT(minimum.subEvents, IsEmpty());
  EXPECT_EQ(minPhaseStat({}).value, 0u);
}

TEST(PhaseStatistics, AverageMergesEventsByName) {
  const PhaseStat average = averagePhaseStats({
      occurrence(10, 1, {u64("A", 3), u64("B", 7)}),
      occurrence(10, 2, {u64("A", 4)}),
      occurrence(10, 3, {u64("A", 8)}),
  });
  ASSERT_THAT(names(average.subEvents), ElementsAre("A", "B"));
  EXPECT_THAT(payloads(average.subEvents), ElementsAre(5u, 7u));
  EXPECT_EQ(average.subEvents[0].value.dataType, kUnsigned);
  EXPECT_EQ(average.subEvents[0].mergeCount, 3u);
}

// Object events start no entry of their own, but merge into one of their name.
TEST(MergeEvents, ObjectEventsMergeOnlyIntoExistingNames) {
  std::vector<ProfileEvent> accumulated;
  mergeEvents(accumulated, {object("obj", 1), u64("A", 2, {object("nested", 3)})});
  ASSERT_THAT(names(accumulated), ElementsAre("A"));
  EXPECT_THAT(names(accumulated[0].subEvents), ElementsAre("nested"));
  mergeEvents(accumulated, {object("A", 5), object("new", 1)});
  ASSERT_THAT(names(accumulated), ElementsAre("A"));
  EXPECT_EQ(accumulated[0].value.payload, 7u);
  EXPECT_EQ(accumulated[0].mergeCount, 2u);
}

// The first accumulated event of a name takes the merge; unmatched events are
// appended in order without matching each other; sub-events merge per level.
TEST(MergeEvents, MatchingByName) {
  std::vector<ProfileEvent> accumulated = {u64("A", 1, {u64("c", 10), u64("d", 20)}), u64("A", 2)};
  mergeEvents(accumulated, {u64("N", 1), u64("A", 10, {u64("d", 2), u64("e", 5)}), u64("N", 2)});
  EXPECT_THAT(names(accumulated), ElementsAre("A", "A", "N", "N"));
  EXPECT_THAT(payloads(accumulated), ElementsAre(11u, 2u, 1u, 2u));
  EXPECT_EQ(accumulated[1].mergeCount, 1u);
  EXPECT_THAT(names(accumulated[0].subEvents), ElementsAre("c", "d", "e"));
  EXPECT_THAT(payloads(accumulated[0].subEvents), ElementsAre(10u, 22u, 5u));
  EXPECT_EQ(accumulated[0].subEvents[1].mergeCount, 2u);
}

// Merged sums keep a numeric type; finishEventAverages divides in that type.
TEST(MergeEvents, NumericTypesOfMergedValues) {
  struct Case {
    std::vector<ProfileEvent> occurrences;
    std::uint32_t dataType;
    std::uint64_t sum, average;
  };
  const auto bits = [](double d) { return floating("", d).value.payload; };
  const Case cases[] = {
      {{i64("A", -1), u64("A", 2)}, kUnsigned, 1, 0},
      {{u64("A", 2), i64("A", -1)}, kUnsigned, 1, 0},
      {{i64("A", -3), i64("A", -4)}, kSigned, static_cast<std::uint64_t>(-7), static_cast<std::uint64_t>(-3)},
      {{u64("A", 2), floating("A", 1.5)}, kDouble, bits(3.5), bits(1.75)},
      {{floating("A", 1.5f), floating("A", 2.5f), i64("A", -1)}, kDouble, bits(3.0), bits(1.0)},
  };
  for (const Case& c : cases) {
    std::vector<ProfileEvent> accumulated = {c.occurrences[0]};
    for (std::size_t i = 1; i < c.occurrences.size(); ++i) mergeEvents(accumulated, {c.occurrences[i]});
    EXPECT_EQ(accumulated[0].value.dataType, c.dataType);
    EXPECT_EQ(accumulated[0].value.payload, c.sum) << asDouble(accumulated[0]);
    EXPECT_EQ(accumulated[0].mergeCount, c.occurrences.size());
    finishEventAverages(accumulated);
    EXPECT_EQ(accumulated[0].value.payload, c.average) << asDouble(accumulated[0]);
  }
}

TEST(MergeEvents, ValuesThatAreNotNumbersStayButTheirSubEventsMerge) {
  static const char kTextValue[] = "text";
  const auto textAddress = reinterpret_cast<std::uint64_t>(kTextValue);
  std::vector<ProfileEvent> accumulated = {event("T", kText, textAddress, {u64("c", 4)}), u64("N", 5),
                                           event("V", kNone, 0)};
  mergeEvents(accumulated, {u64("T", 9, {u64("c", 6)}), event("N", kText, textAddress), u64("V", 3)});
  EXPECT_THAT(payloads(accumulated), ElementsAre(textAddress, 5u, 0u));
  const std::uint32_t dataTypes[] = {kText, kUnsigned, kNone};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(accumulated[i].value.dataType, dataTypes[i]);
    EXPECT_EQ(accumulated[i].mergeCount, 1u);
  }
  EXPECT_EQ(accumulated[0].subEvents[0].value.payload, 10u);
  EXPECT_EQ(accumulated[0].subEvents[0].mergeCount, 2u);
  finishEventAverages(accumulated);
  EXPECT_EQ(accumulated[0].value.payload, textAddress);
  EXPECT_EQ(accumulated[0].subEvents[0].value.payload, 5u);
}

}  // namespace
}  // namespace vyn::profiling
