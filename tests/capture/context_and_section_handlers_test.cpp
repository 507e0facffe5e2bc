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

std::vector<std::string> graphs(const std::vector<GraphPhaseSeries>& series) {
  std::vector<std::string> list;
  for (const auto& entry : series) list.push_back(entry.graphName);
  return list;
}

// Latest call per measurement, keys in order of first insertion, events ignored.
TEST(ContextHandlers, BinaryCallsKeepTheLatestPerMeasurement) {
  VynProfileLogReader reader("", VisibilityLevel::All);
  EXPECT_TRUE(runHandler(handleContextBinary, reader, Message::of(14).named("b").lasting(2)));
  EXPECT_TRUE(runHandler(handleContextBinary, reader, Message::of(13).named("first").at(1).lasting(5).event(Event::named("e", 1))));
  EXPECT_TRUE(runHandler(handleContextBinary, reader, Message::of(13).named("second").at(2).lasting(9).event(Event::named("e", 1))));
  EXPECT_TRUE(runHandler(handleContextBinary, reader, Message::of(14).at(3).lasting(6)));
  std::vector<std::string> keys;
  for (const auto& entry : reader.contextBinaryStats) keys.push_back(entry.first);
  EXPECT_THAT(keys, ElementsAre(kBinary, kBinarySize));
  const PhaseStat* size = reader.contextBinaryStats.find(kBinarySize);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->value, 9u);
  EXPECT_EQ(size->timestamp, 2u);
  EXPECT_EQ(size->name, "second");
  EXPECT_THAT(size->subEvents, IsEmpty());
  EXPECT_EQ(reader.contextBinaryStats.find(kBinary)->name, "");  // a call without a name counts
  EXPECT_EQ(reader.contextBinaryStats.find(kBinary)->value, 6u);
  EXPECT_TRUE(reader.hasContextRetrieval);
  EXPECT_FALSE(reader.hasContextSectionRetrieval);
}

TEST(ContextHandlers, SectionSizeCallsAreAllKept) {
  VynProfileLogReader reader("", VisibilityLevel::All);
  EXPECT_TRUE(runHandler(handleContextBinarySection, reader, Message::of(15).named("s1").at(1).lasting(4).event(Event::named("e", 1))));
  EXPECT_TRUE(runHandler(handleContextBinarySection, reader, Message::of(15).at(2).lasting(5)));
  EXPECT_TRUE(runHandler(handleContextBinarySection, reader, Message::of(15).named("s3").at(3).lasting(6)));
  ASSERT_EQ(reader.contextSectionSeries.size(), 1u);
  const std::vector<PhaseStat>* calls = reader.contextSectionSeries.find("CONTEXT GET BINARY SECTION SIZE");
  ASSERT_NE(calls, nullptr);
  ASSERT_EQ(calls->size(), 3u);
  EXPECT_EQ((*calls)[0].name, "s1");
  EXPECT_THAT((*calls)[0].subEvents, IsEmpty());
  EXPECT_EQ((*calls)[1].name, "");
  EXPECT_EQ((*calls)[2].value, 6u);
  EXPECT_EQ((*calls)[2].timestamp, 3u);
  EXPECT_TRUE(reader.hasContextSectionRetrieval);
  EXPECT_FALSE(reader.hasContextRetrieval);
}

TEST(SectionHandlers, ApplyCallsOfBothTypesShareTheGraphsSeriesWithAllEvents) {
  VynProfileLogReader reader("", VisibilityLevel::All);
  EXPECT_FALSE(runHandler(handleApplyBinarySection, reader, Message::of(11).lasting(1)));
  EXPECT_FALSE(reader.hasApplyBinarySection);
  EXPECT_TRUE(runHandler(handleApplyBinarySection, reader, Message::of(11).named("g").at(1).lasting(10)
      .event(Event::named("init", 100)).event(Event::named("fin", 300)).event(Event::named("x", 7))));
  EXPECT_TRUE(runHandler(handleApplyBinarySection, reader, Message::of(12).named("h").at(2).lasting(20)));
  EXPECT_TRUE(runHandler(handleApplyBinarySection, reader, Message::of(12).named("g").at(3).lasting(30)));
  EXPECT_TRUE(reader.hasApplyBinarySection);
  EXPECT_THAT(graphs(reader.applySectionSeries), ElementsAre("g", "h"));
  const auto& calls = reader.applySectionSeries[0].stats;
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_THAT(identifiers(calls[0].subEvents), ElementsAre(100u, 300u, 7u));
  EXPECT_FALSE(reader.hasInitStat || reader.hasFinalizeStats);
  EXPECT_EQ(calls[1].value, 30u);
  EXPECT_EQ(calls[1].timestamp, 3u);
  EXPECT_EQ(calls[1].name, "");
}

TEST(SectionHandlers, TensorUpdateCallsAreGroupedByTheTextBeforeTheFirstBracket) {
  VynProfileLogReader reader("", VisibilityLevel::All);
  EXPECT_FALSE(runHandler(handleFinalizeAfterTensorUpdates, reader, Message::of(16).lasting(1)));
  EXPECT_FALSE(reader.hasFinalizeAfterTensorUpdates);
  EXPECT_TRUE(runHandler(handleFinalizeAfterTensorUpdates, reader,
                         Message::of(16).named("g [pass 1]").at(8).lasting(70).event(Event::named("e", 100))));
  for (const char* name : {"g [pass 2]", "g", "g[1]", "h [a] [b]", " [x]", "[", "a [", "", "g x [y]"})
    EXPECT_TRUE(runHandler(handleFinalizeAfterTensorUpdates, reader, Message::of(16).named(name).lasting(1))) << name;
  EXPECT_TRUE(reader.hasFinalizeAfterTensorUpdates);
  EXPECT_THAT(graphs(reader.tensorUpdateSeries), ElementsAre("g", "g[1]", "h", "", "[", "a", "g x"));
  const auto& g = reader.tensorUpdateSeries[0].stats;
  ASSERT_EQ(g.size(), 3u);
  EXPECT_EQ(g[0].name, "g [pass 1]");
  EXPECT_EQ(g[0].value, 70u);
  EXPECT_EQ(g[0].timestamp, 8u);
  EXPECT_THAT(identifiers(g[0].subEvents), ElementsAre(100u));
  EXPECT_FALSE(reader.hasInitStat);
  EXPECT_EQ(g[1].name, "g [pass 2]");
  EXPECT_EQ(g[2].name, "g");
  EXPECT_EQ(reader.tensorUpdateSeries[3].stats.size(), 2u);  // " [x]" and "" share the empty key
}

TEST(SectionHandlers, UpdateKeepsOnlyTheLatestCall) {
  VynProfileLogReader reader("", VisibilityLevel::All);
  EXPECT_TRUE(runHandler(handleUpdateBinarySection, reader, Message::of(17).named("u1").at(1).lasting(10).event(Event::named("a", 1))));
  EXPECT_TRUE(runHandler(handleUpdateBinarySection, reader, Message::of(17).named("u2").at(2).lasting(20)
      .event(Event::named("b", 2)).event(Event::named("c", 3))));
  EXPECT_TRUE(reader.hasUpdateBinarySection);
  ASSERT_EQ(reader.updateSectionStats.size(), 1u);
  const GraphPhaseStat& entry = reader.updateSectionStats[0];
  EXPECT_EQ(entry.graphName, "");
  EXPECT_EQ(entry.stat.value, 20u);
  EXPECT_EQ(entry.stat.timestamp, 2u);
  EXPECT_EQ(entry.stat.name, "");
  EXPECT_THAT(identifiers(entry.stat.subEvents), ElementsAre(2u, 3u));
}

}  // namespace
}  // namespace vyn::profiling
