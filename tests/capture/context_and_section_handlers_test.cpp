// Context binary retrieval (13, 14, 15) and binary section / tensor update
// handlers (11, 12, 16, 17).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "capture/capture_fixture.h"
#include "capture/handlers.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using vyn::testing::Event;
using vyn::testing::identifiers;
using vyn::testing::Message;
using vyn::testing::runHandler;

constexpr const char* kBinarySize = "CONTEXT GET BINARY SIZE";
constexpr const char* kBinary = "CONTEXT GET BINARY";
constexpr const char* kSectionSize = "CONTEXT GET BINARY SECTION SIZE";

std::vector<std::string> keys(const InsertionOrderedMap<PhaseStat>& map) {
  std::vector<std::string> list;
  for (const auto& entry : map) list.push_back(entry.first);
  return list;
}

std::vector<std::string> graphs(const std::vector<GraphPhaseSeries>& series) {
  std::vector<std::string> list;
  for (const auto& entry : series) list.push_back(entry.graphName);
  return list;
}

class ContextHandlerTest : public ::testing::Test {
 protected:
  bool binary(const Message& message) { return runHandler(handleContextBinary, reader_, message); }
  bool section(const Message& message) { return runHandler(handleContextBinarySection, reader_, message); }
  VynProfileLogReader reader_{"", VisibilityLevel::All};
};

TEST_F(ContextHandlerTest, BinaryCallsKeepOnlyTheLatestPerMeasurement) {
  EXPECT_TRUE(binary(Message::of(13).named("first").at(1).lasting(5).event(Event::named("e", 1))));
  EXPECT_TRUE(binary(Message::of(13).named("second").at(2).lasting(9)));
  ASSERT_EQ(reader_.contextBinaryStats.size(), 1u);
  const PhaseStat* stat = reader_.contextBinaryStats.find(kBinarySize);
  ASSERT_NE(stat, nullptr);
  EXPECT_EQ(stat->value, 9u);
  EXPECT_EQ(stat->timestamp, 2u);
  EXPECT_EQ(stat->name, "second");
  EXPECT_THAT(stat->subEvents, IsEmpty());
  EXPECT_TRUE(reader_.hasContextRetrieval);
  EXPECT_FALSE(reader_.hasContextSectionRetrieval);
}

TEST_F(ContextHandlerTest, BinaryCallWithoutNameIsKeptWithAnEmptyName) {
  EXPECT_TRUE(binary(Message::of(14).named("named").lasting(5)));
  EXPECT_TRUE(binary(Message::of(14).at(3).lasting(6)));
  const PhaseStat* stat = reader_.contextBinaryStats.find(kBinary);
  ASSERT_NE(stat, nullptr);
  EXPECT_EQ(stat->name, "");
  EXPECT_EQ(stat->value, 6u);
}

TEST_F(ContextHandlerTest, SizeAndBinaryAreSeparateEntriesInFirstInsertionOrder) {
  EXPECT_TRUE(binary(Message::of(14).lasting(2)));
  EXPECT_TRUE(binary(Message::of(13).lasting(1)));
  EXPECT_TRUE(binary(Message::of(14).lasting(3)));
  EXPECT_THAT(keys(reader_.contextBinaryStats), ElementsAre(kBinary, kBinarySize));
  EXPECT_EQ(reader_.contextBinaryStats.find(kBinary)->value, 3u);
  EXPECT_EQ(reader_.contextBinaryStats.find(kBinarySize)->value, 1u);
}

TEST_F(ContextHandlerTest, SectionSizeCallsAreAllKept) {
  EXPECT_TRUE(section(Message::of(15).named("s1").at(1).lasting(4).event(Event::named("e", 1))));
  EXPECT_TRUE(section(Message::of(15).at(2).lasting(5)));
  EXPECT_TRUE(section(Message::of(15).named("s3").at(3).lasting(6)));
  ASSERT_EQ(reader_.contextSectionSeries.size(), 1u);
  const std::vector<PhaseStat>* calls = reader_.contextSectionSeries.find(kSectionSize);
  ASSERT_NE(calls, nullptr);
  ASSERT_EQ(calls->size(), 3u);
  EXPECT_EQ((*calls)[0].name, "s1");
  EXPECT_EQ((*calls)[1].name, "");
  EXPECT_EQ((*calls)[2].value, 6u);
  EXPECT_EQ((*calls)[2].timestamp, 3u);
  EXPECT_THAT((*calls)[0].subEvents, IsEmpty());
  EXPECT_TRUE(reader_.hasContextSectionRetrieval);
  EXPECT_FALSE(reader_.hasContextRetrieval);
}

class SectionHandlerTest : public ::testing::Test {
 protected:
  bool apply(const Message& message) { return runHandler(handleApplyBinarySection, reader_, message); }
  bool tensors(const Message& message) {
    return runHandler(handleFinalizeAfterTensorUpdates, reader_, message);
  }
  bool update(const Message& message) { return runHandler(handleUpdateBinarySection, reader_, message); }
  VynProfileLogReader reader_{"", VisibilityLevel::All};
};

TEST_F(SectionHandlerTest, ApplyCallsOfBothTypesShareTheGraphsSeries) {
  EXPECT_TRUE(apply(Message::of(11).named("g").at(1).lasting(10)));
  EXPECT_TRUE(apply(Message::of(12).named("h").at(2).lasting(20)));
  EXPECT_TRUE(apply(Message::of(12).named("g").at(3).lasting(30)));
  EXPECT_TRUE(reader_.hasApplyBinarySection);
  EXPECT_THAT(graphs(reader_.applySectionSeries), ElementsAre("g", "h"));
  const auto& calls = reader_.applySectionSeries[0].stats;
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].value, 30u);
  EXPECT_EQ(calls[1].timestamp, 3u);
  EXPECT_EQ(calls[1].name, "");
}

TEST_F(SectionHandlerTest, ApplyCallsKeepEveryEventUnsorted) {
  EXPECT_TRUE(apply(Message::of(11).named("g").lasting(1)
                        .event(Event::named("init", 100))
                        .event(Event::named("fin", 300))
                        .event(Event::named("x", 7))));
  EXPECT_THAT(identifiers(reader_.applySectionSeries.at(0).stats.at(0).subEvents),
              ElementsAre(100u, 300u, 7u));
  EXPECT_FALSE(reader_.hasInitStat);
  EXPECT_THAT(reader_.initStat.subEvents, IsEmpty());
  EXPECT_FALSE(reader_.hasFinalizeStats);
}

TEST_F(SectionHandlerTest, NamelessApplyAndTensorUpdateCallsAreRefused) {
  EXPECT_FALSE(apply(Message::of(11).lasting(1)));
  EXPECT_FALSE(tensors(Message::of(16).lasting(1)));
  EXPECT_FALSE(reader_.hasApplyBinarySection);
  EXPECT_FALSE(reader_.hasFinalizeAfterTensorUpdates);
  EXPECT_THAT(reader_.applySectionSeries, IsEmpty());
  EXPECT_THAT(reader_.tensorUpdateSeries, IsEmpty());
}

TEST_F(SectionHandlerTest, TensorUpdateCallsAreGroupedByTheTextBeforeTheFirstBracket) {
  for (const char* name : {"g [pass 1]", "g [pass 2]", "g", "g[1]", "h [a] [b]", " [x]", "[", "a [",
                           "", "g x [y]"}) {
    EXPECT_TRUE(tensors(Message::of(16).named(name).lasting(1))) << name;
  }
  EXPECT_TRUE(reader_.hasFinalizeAfterTensorUpdates);
  EXPECT_THAT(graphs(reader_.tensorUpdateSeries), ElementsAre("g", "g[1]", "h", "", "[", "a", "g x"));
  const auto& g = reader_.tensorUpdateSeries[0].stats;
  ASSERT_EQ(g.size(), 3u);
  EXPECT_EQ(g[0].name, "g [pass 1]");
  EXPECT_EQ(g[1].name, "g [pass 2]");
  EXPECT_EQ(g[2].name, "g");
  // " [x]" and "" share the empty key.
  EXPECT_EQ(reader_.tensorUpdateSeries[3].stats.size(), 2u);
}

TEST_F(SectionHandlerTest, TensorUpdateCallsKeepTimingAndEvents) {
  EXPECT_TRUE(tensors(Message::of(16).named("g [p]").at(8).lasting(70).event(Event::named("e", 100))));
  const PhaseStat& call = reader_.tensorUpdateSeries.at(0).stats.at(0);
  EXPECT_EQ(call.value, 70u);
  EXPECT_EQ(call.timestamp, 8u);
  EXPECT_THAT(identifiers(call.subEvents), ElementsAre(100u));
  EXPECT_FALSE(reader_.hasInitStat);
}

TEST_F(SectionHandlerTest, UpdateKeepsOnlyTheLatestCall) {
  EXPECT_TRUE(update(Message::of(17).named("u1").at(1).lasting(10).event(Event::named("a", 1))));
  EXPECT_TRUE(update(Message::of(17).at(2).lasting(20).event(Event::named("b", 2)).event(Event::named("c", 3))));
  EXPECT_TRUE(reader_.hasUpdateBinarySection);
  ASSERT_EQ(reader_.updateSectionStats.size(), 1u);
  const GraphPhaseStat& entry = reader_.updateSectionStats[0];
  EXPECT_EQ(entry.graphName, "");
  EXPECT_EQ(entry.stat.value, 20u);
  EXPECT_EQ(entry.stat.timestamp, 2u);
  EXPECT_EQ(entry.stat.name, "");
  EXPECT_THAT(identifiers(entry.stat.subEvents), ElementsAre(2u, 3u));

  EXPECT_TRUE(update(Message::of(17).named("u3").lasting(5)));
  ASSERT_EQ(reader_.updateSectionStats.size(), 1u);
  EXPECT_EQ(reader_.updateSectionStats[0].stat.name, "");
  EXPECT_THAT(reader_.updateSectionStats[0].stat.subEvents, IsEmpty());
}

}  // namespace
}  // namespace vyn::profiling
