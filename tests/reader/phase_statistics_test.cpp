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
constexpr std::uint32_t kFloat = 0x0232;
constexpr std::uint32_t kDouble = 0x0264;
constexpr std::uint32_t kText = 0x0608;
constexpr std::uint32_t kNone = 0x7FFFFFFF;
constexpr std::uint32_t kObject = 5;

ProfileEvent event(const std::string& name, std::uint32_t dataType, std::uint64_t payload,
                   std::uint32_t unit = 1) {
  ProfileEvent e;
  e.name = name;
  e.value = {dataType, payload};
  e.unit = unit;
  return e;
}
ProfileEvent u64(const std::string& name, std::uint64_t value, std::uint32_t unit = 1) {
  return event(name, kUnsigned, value, unit);
}
ProfileEvent i64(const std::string& name, std::int64_t value) {
  return event(name, kSigned, static_cast<std::uint64_t>(value));
}
ProfileEvent f64(const std::string& name, double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return event(name, kDouble, bits);
}
ProfileEvent f32(const std::string& name, float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return event(name, kFloat, bits);
}
double asDouble(const ProfileEvent& e) {
  double number;
  std::memcpy(&number, &e.value.payload, sizeof number);
  return number;
}
ProfileEvent with(ProfileEvent parent, std::vector<ProfileEvent> children) {
  parent.subEvents = std::move(children);
  return parent;
}

PhaseStat occurrence(std::uint64_t value, std::uint64_t timestamp,
                     std::vector<ProfileEvent> events = {}) {
  PhaseStat stat;
  stat.value = value;
  stat.timestamp = timestamp;
  stat.name = "occurrence";
  stat.subEvents = std::move(events);
  return stat;
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
  EXPECT_EQ(average.value, 15u);
  EXPECT_EQ(average.timestamp, 3u);
  EXPECT_EQ(average.name, "");
  const PhaseStat maximum = maxPhaseStat(occurrences);
  EXPECT_EQ(maximum.value, 20u);
  EXPECT_EQ(maximum.timestamp, 3u);
  EXPECT_EQ(maximum.name, "");
  const PhaseStat minimum = minPhaseStat(occurrences);
  EXPECT_EQ(minimum.value, 10u);
  EXPECT_EQ(minimum.timestamp, 2u);
  EXPECT_EQ(minimum.name, "");
}

TEST(PhaseStatistics, TiesGoToTheLaterOccurrence) {
  const std::vector<PhaseStat> occurrences = {occurrence(7, 1, {u64("first", 1)}),
                                              occurrence(7, 2, {u64("second", 1)})};
  const PhaseStat maximum = maxPhaseStat(occurrences);
  EXPECT_EQ(maximum.timestamp, 2u);
  EXPECT_THAT(names(maximum.subEvents), ElementsAre("second"));
  const PhaseStat minimum = minPhaseStat(occurrences);
  EXPECT_EQ(minimum.timestamp, 2u);
  EXPECT_THAT(names(minimum.subEvents), ElementsAre("second"));
}

TEST(PhaseStatistics, SingleZeroOccurrence) {
  const std::vector<PhaseStat> occurrences = {occurrence(0, 5, {u64("e", 3)})};
  EXPECT_EQ(averagePhaseStats(occurrences).value, 0u);
  const PhaseStat maximum = maxPhaseStat(occurrences);
  EXPECT_EQ(maximum.value, 0u);
  EXPECT_EQ(maximum.timestamp, 5u);
  EXPECT_THAT(names(maximum.subEvents), ElementsAre("e"));
}

// No occurrence qualifies for the minimum: the result is empty, not the
// largest number.
TEST(PhaseStatistics, MinimumOfZeroOccurrencesIsZero) {
  const PhaseStat minimum = minPhaseStat({occurrence(0, 5, {u64("e", 3)}), occurrence(0, 6)});
  EXPECT_EQ(minimum.value, 0u);
  EXPECT_EQ(minimum.timestamp, 0u);
  EXPECT_THAT(minimum.subEvents, IsEmpty());
  EXPECT_EQ(minPhaseStat({occurrence(0, 1), occurrence(5, 2), occurrence(0, 3)}).value, 5u);
}

TEST(PhaseStatistics, NoOccurrencesGiveEmptyResults) {
  for (const PhaseStat& result : {averagePhaseStats({}), maxPhaseStat({}), minPhaseStat({})}) {
    EXPECT_EQ(result.value, 0u);
    EXPECT_EQ(result.timestamp, 0u);
    EXPECT_EQ(result.name, "");
    EXPECT_THAT(result.subEvents, IsEmpty());
  }
}

TEST(PhaseStatistics, ExtremesCopyTheirEventsAsTheyAre) {
  ProfileEvent merged = u64("merged", 8);
  merged.mergeCount = 4;
  const PhaseStat maximum = maxPhaseStat(
      {occurrence(3, 1), occurrence(9, 2, {u64("object", 1, kObject), merged}), occurrence(4, 3)});
  EXPECT_THAT(names(maximum.subEvents), ElementsAre("object", "merged"));
  EXPECT_EQ(maximum.subEvents[1].mergeCount, 4u);
  EXPECT_EQ(maximum.subEvents[1].value.payload, 8u);
}

TEST(PhaseStatistics, AverageMergesEventsByName) {
  const PhaseStat average = averagePhaseStats({
      occurrence(10, 1, {u64("A", 3), u64("B", 7)}),
      occurrence(10, 2, {u64("A", 4)}),
      occurrence(10, 3, {u64("A", 8)}),
  });
  ASSERT_THAT(names(average.subEvents), ElementsAre("A", "B"));
  EXPECT_EQ(average.subEvents[0].value.payload, 5u);
  EXPECT_EQ(average.subEvents[0].value.dataType, kUnsigned);
  EXPECT_EQ(average.subEvents[0].mergeCount, 3u);
  EXPECT_EQ(average.subEvents[1].value.payload, 7u);
  EXPECT_EQ(average.subEvents[1].mergeCount, 1u);
}

TEST(PhaseStatistics, AverageOfFloatingEventsIsFloating) {
  const PhaseStat average = averagePhaseStats({
      occurrence(1, 1, {f64("t", 1.0)}),
      occurrence(1, 2, {f64("t", 2.0)}),
      occurrence(1, 3, {f64("t", 4.5)}),
  });
  ASSERT_EQ(average.subEvents.size(), 1u);
  EXPECT_EQ(average.subEvents[0].value.dataType, kDouble);
  EXPECT_DOUBLE_EQ(asDouble(average.subEvents[0]), 2.5);
}

TEST(MergeEvents, FirstOccurrenceIsCopiedWithoutObjects) {
  std::vector<ProfileEvent> accumulated;
  mergeEvents(accumulated, {u64("obj", 1, kObject),
                            with(u64("A", 2), {u64("nestedObj", 3, kObject)}), u64("B", 4)});
  ASSERT_THAT(names(accumulated), ElementsAre("A", "B"));
  // Nested events come along as they are.
  EXPECT_THAT(names(accumulated[0].subEvents), ElementsAre("nestedObj"));
  EXPECT_EQ(accumulated[0].mergeCount, 1u);
}

TEST(MergeEvents, ObjectsMergeOnlyIntoExistingNames) {
  std::vector<ProfileEvent> accumulated = {u64("A", 2)};
  mergeEvents(accumulated, {u64("A", 5, kObject), u64("new", 1, kObject)});
  ASSERT_THAT(names(accumulated), ElementsAre("A"));
  EXPECT_EQ(accumulated[0].value.payload, 7u);
  EXPECT_EQ(accumulated[0].mergeCount, 2u);
}

TEST(MergeEvents, OnlyTheFirstEventOfANameTakesTheMerge) {
  std::vector<ProfileEvent> accumulated = {u64("A", 1), u64("A", 2)};
  mergeEvents(accumulated, {u64("A", 10)});
  EXPECT_THAT(payloads(accumulated), ElementsAre(11u, 2u));
  EXPECT_EQ(accumulated[1].mergeCount, 1u);
}

TEST(MergeEvents, UnmatchedEventsAreAppendedInOrderWithoutMatchingEachOther) {
  std::vector<ProfileEvent> accumulated = {u64("X", 1)};
  mergeEvents(accumulated, {u64("N", 1), u64("X", 2), u64("N", 2), u64("M", 3)});
  EXPECT_THAT(names(accumulated), ElementsAre("X", "N", "N", "M"));
  EXPECT_THAT(payloads(accumulated), ElementsAre(3u, 1u, 2u, 3u));
}

TEST(MergeEvents, SubEventsMergeByNameAtEachLevel) {
  std::vector<ProfileEvent> accumulated = {with(u64("P", 1), {u64("c", 10), u64("d", 20)})};
  mergeEvents(accumulated, {with(u64("P", 1), {u64("d", 2), u64("e", 5)})});
  ASSERT_EQ(accumulated.size(), 1u);
  EXPECT_THAT(names(accumulated[0].subEvents), ElementsAre("c", "d", "e"));
  EXPECT_THAT(payloads(accumulated[0].subEvents), ElementsAre(10u, 22u, 5u));
  EXPECT_EQ(accumulated[0].subEvents[1].mergeCount, 2u);
}

TEST(MergeEvents, SignedAndUnsignedValuesAddAsUnsigned) {
  std::vector<ProfileEvent> accumulated = {i64("A", -1)};
  mergeEvents(accumulated, {u64("A", 2)});
  EXPECT_EQ(accumulated[0].value.dataType, kUnsigned);
  EXPECT_EQ(accumulated[0].value.payload, 1u);
  EXPECT_EQ(accumulated[0].mergeCount, 2u);

  std::vector<ProfileEvent> reversed = {u64("A", 2)};
  mergeEvents(reversed, {i64("A", -1)});
  EXPECT_EQ(reversed[0].value.dataType, kUnsigned);
  EXPECT_EQ(reversed[0].value.payload, 1u);
}

TEST(MergeEvents, SignedValuesStaySigned) {
  std::vector<ProfileEvent> accumulated = {i64("A", -3)};
  mergeEvents(accumulated, {i64("A", -4)});
  EXPECT_EQ(accumulated[0].value.dataType, kSigned);
  EXPECT_EQ(static_cast<std::int64_t>(accumulated[0].value.payload), -7);
  finishEventAverages(accumulated);
  EXPECT_EQ(static_cast<std::int64_t>(accumulated[0].value.payload), -3);  // toward zero
}

TEST(MergeEvents, FloatingValuesAddAsDoubles) {
  std::vector<ProfileEvent> accumulated = {u64("A", 2)};
  mergeEvents(accumulated, {f64("A", 1.5)});
  EXPECT_EQ(accumulated[0].value.dataType, kDouble);
  EXPECT_DOUBLE_EQ(asDouble(accumulated[0]), 3.5);
  EXPECT_EQ(accumulated[0].mergeCount, 2u);
  finishEventAverages(accumulated);
  EXPECT_DOUBLE_EQ(asDouble(accumulated[0]), 1.75);

  std::vector<ProfileEvent> singles = {f32("B", 1.5f)};
  mergeEvents(singles, {f32("B", 2.5f)});
  mergeEvents(singles, {i64("B", -1)});
  EXPECT_EQ(singles[0].value.dataType, kDouble);
  EXPECT_DOUBLE_EQ(asDouble(singles[0]), 3.0);
  EXPECT_EQ(singles[0].mergeCount, 3u);
  finishEventAverages(singles);
  EXPECT_DOUBLE_EQ(asDouble(singles[0]), 1.0);
}

TEST(MergeEvents, ValuesThatAreNotNumbersStayButTheirSubEventsMerge) {
  static const char kTextValue[] = "text";
  const auto textAddress = reinterpret_cast<std::uint64_t>(kTextValue);
  std::vector<ProfileEvent> accumulated = {with(event("T", kText, textAddress), {u64("c", 4)}),
                                           u64("N", 5), event("V", kNone, 0)};
  mergeEvents(accumulated, {with(u64("T", 9), {u64("c", 6)}),
                            event("N", kText, textAddress), u64("V", 3)});
  EXPECT_EQ(accumulated[0].value.dataType, kText);
  EXPECT_EQ(accumulated[0].value.payload, textAddress);
  EXPECT_EQ(accumulated[0].mergeCount, 1u);
  EXPECT_EQ(accumulated[0].subEvents[0].value.payload, 10u);
  EXPECT_EQ(accumulated[0].subEvents[0].mergeCount, 2u);
  EXPECT_EQ(accumulated[1].value.dataType, kUnsigned);
  EXPECT_EQ(accumulated[1].value.payload, 5u);
  EXPECT_EQ(accumulated[1].mergeCount, 1u);
  EXPECT_EQ(accumulated[2].value.dataType, kNone);
  EXPECT_EQ(accumulated[2].value.payload, 0u);
  EXPECT_EQ(accumulated[2].mergeCount, 1u);

  finishEventAverages(accumulated);
  EXPECT_EQ(accumulated[0].value.payload, textAddress);
  EXPECT_EQ(accumulated[0].subEvents[0].value.payload, 5u);
}

TEST(FinishEventAverages, DividesMergedSumsAtEveryLevel) {
  ProfileEvent sum = u64("sum", 10);
  sum.mergeCount = 3;
  ProfileEvent single = u64("single", 7);
  ProfileEvent nested = u64("nested", 9);
  nested.mergeCount = 2;
  ProfileEvent parent = with(event("parent", kNone, 0), {nested});
  parent.mergeCount = 2;
  std::vector<ProfileEvent> events = {sum, single, parent};
  finishEventAverages(events);
  EXPECT_EQ(events[0].value.payload, 3u);
  EXPECT_EQ(events[1].value.payload, 7u);
  EXPECT_EQ(events[2].value.payload, 0u);
  EXPECT_EQ(events[2].subEvents[0].value.payload, 4u);
}

}  // namespace
}  // namespace vyn::profiling
