// Records that are well framed but push the content: nesting at the verifier's
// depth limit, a record of a hundred thousand messages, texts with embedded NUL
// bytes and texts that are not UTF-8.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostile/hostile_support.h"
#include "log/logger.h"
#include "profile_log_generated.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "support/log_builder.h"

namespace vyn::testing {
namespace {

using profiling::GraphPhaseSeries;
using profiling::ProfileEvent;
using profiling::VisibilityLevel;
using profiling::VynProfileLogReader;
using profiling::VynProfileLogReaderXtu;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kExecute = 1;

// The record's root table and the message are two nested tables; with these
// levels of events below them the record reaches the verifier's limit of 64.
constexpr int kDeepestEventLevel = 62;

// A chain of events, one below the other, `levels` deep; level k is named "level k".
Event eventChain(int levels) {
  Event chain =
      Event::named("level " + std::to_string(levels), 1).u64(static_cast<std::uint64_t>(levels));
  for (int level = levels - 1; level >= 1; --level) {
    Event outer =
        Event::named("level " + std::to_string(level), 1).u64(static_cast<std::uint64_t>(level));
    outer.sub(std::move(chain));
    chain = std::move(outer);
  }
  return chain;
}

std::size_t chainDepth(const std::vector<ProfileEvent>& events) {
  std::size_t depth = 0;
  for (const std::vector<ProfileEvent>* level = &events; !level->empty();
       level = &level->front().subEvents)
    ++depth;
  return depth;
}

const GraphPhaseSeries* findSeries(const VynProfileLogReader& reader, const std::string& name) {
  for (const GraphPhaseSeries& series : reader.executeSeries)
    if (series.graphName == name) return &series;
  return nullptr;
}

class HostileContent : public ::testing::Test {
 protected:
  // A first record with one execution of graph g, then the record under test.
  void writeAfterGoodRecord(const Record& record) {
    LogBuilder()
        .messages({Message::of(kExecute).named("g").lasting(10)})
        .record(record)
        .writeTo(scene.logPath());
  }

  // Runs both reports with their output thrown away; they must survive the data.
  void reportQuietly(VynProfileLogReader& reader) {
    CapturedStdout quiet;
    reader.writeReport(scene.work("report.csv"));
  }

  HostileScene scene;
  CapturedDiagnostics diagnostics;
};

TEST_F(HostileContent, EventsNestedToTheDepthLimitLoadAndOneLevelDeeperAreRejected) {
  writeAfterGoodRecord(Record{}.with(
      Message::of(kExecute).named("deep").lasting(20).event(eventChain(kDeepestEventLevel))));
  VynProfileLogReaderXtu atLimit(scene.logPath(), VisibilityLevel::All);
  EXPECT_TRUE(atLimit.loadLog(true));
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  const GraphPhaseSeries* deep = findSeries(atLimit, "deep");
  ASSERT_NE(deep, nullptr);
  ASSERT_EQ(deep->stats.size(), 1u);
  EXPECT_EQ(chainDepth(deep->stats[0].subEvents), static_cast<std::size_t>(kDeepestEventLevel));
  reportQuietly(atLimit);

  writeAfterGoodRecord(Record{}.with(
      Message::of(kExecute).named("deep").lasting(20).event(eventChain(kDeepestEventLevel + 1))));
  diagnostics.clear();
  VynProfileLogReaderXtu beyond(scene.logPath(), VisibilityLevel::All);
  EXPECT_FALSE(beyond.loadLog(true));
  EXPECT_THAT(diagnostics.errors(), ElementsAre("Corrupted flatbuffer binary stream"));
  EXPECT_NE(findSeries(beyond, "g"), nullptr) << "the record before the bad one stays loaded";
  EXPECT_EQ(findSeries(beyond, "deep"), nullptr);
}

TEST_F(HostileContent, HundredThousandMessagesInOneRecordAreAllProcessed) {
  constexpr std::size_t kMessages = 100000;
  std::vector<Message> messages;
  messages.reserve(kMessages);
  for (std::size_t i = 0; i < kMessages; ++i) {
    const bool odd = i % 2 == 1;
    messages.push_back(Message::of(kExecute).named(odd ? "b" : "a").at(i).lasting(odd ? 20 : 10));
  }
  LogBuilder().messages(std::move(messages)).writeTo(scene.logPath());

  VynProfileLogReaderXtu reader(scene.logPath(), VisibilityLevel::All);
  ASSERT_TRUE(reader.loadLog(false));
  ASSERT_EQ(reader.executeSeries.size(), 2u);
  EXPECT_EQ(reader.executeSeries[0].graphName, "a");
  EXPECT_EQ(reader.executeSeries[0].stats.size(), kMessages / 2);
  EXPECT_EQ(reader.executeSeries[1].stats.size(), kMessages / 2);
  EXPECT_EQ(reader.executeSeries[1].stats.back().timestamp, kMessages - 1);
  ASSERT_EQ(reader.executeAverage.size(), 2u);
  EXPECT_EQ(reader.executeAverage[0].stat.value, 10u);
  EXPECT_EQ(reader.executeAverage[1].stat.value, 20u);
  EXPECT_THAT(
      diagnostics.at(log::VYN_LOG_LEVEL_DEBUG),
      Contains("profiling::FlatBufferReaderUtil no more messages! (Message Counter: 100000)"));
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  reportQuietly(reader);
}

// Message and event names are C strings to the reader: an embedded NUL byte ends
// them. Header texts are kept with their full length.
TEST_F(HostileContent, EmbeddedNulBytesEndNamesButNotHeaderTexts) {
  const std::string updaterWithTail("zevir-talvo-updater\0x", 21);
  Record record;
  record.header = Header{};
  record.header->generatorName = updaterWithTail;
  record.header->generatorVersion = std::string("1\0.2", 4);
  record
      .with(Message::of(kExecute)
                .named(std::string("g\0one", 5))
                .lasting(10)
                .event(Event::named(std::string("ev\0hidden", 9), 7).u64(1)))
      .with(Message::of(kExecute).named(std::string("g\0two", 5)).lasting(30));
  LogBuilder().record(record).writeTo(scene.logPath());

  VynProfileLogReaderXtu reader(scene.logPath(), VisibilityLevel::All);
  ASSERT_TRUE(reader.loadLog(false));
  ASSERT_EQ(reader.executeSeries.size(), 1u) << "both names read as g";
  EXPECT_EQ(reader.executeSeries[0].graphName, "g");
  ASSERT_EQ(reader.executeSeries[0].stats.size(), 2u);
  const std::vector<ProfileEvent>& events = reader.executeSeries[0].stats[0].subEvents;
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].name, "ev");

  EXPECT_EQ(reader.generatorName, updaterWithTail);
  EXPECT_FALSE(reader.generatedByUpdater) << "a name with a hidden tail is not the updater's";
  EXPECT_EQ(reader.generatorVersion, std::string("1\0.2", 4));
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  reportQuietly(reader);
}

// The log format promises UTF-8 but nothing checks it; bytes that are not UTF-8
// are names like any other and are kept exactly.
TEST_F(HostileContent, InvalidUtf8IsKeptByteForByte) {
  const std::vector<std::string> names = {
      "\xFF\xFE",      // never valid
      "\xC3\x28",      // a lead byte without its continuation
      "\xC0\xAF",      // an overlong '/'
      "\xED\xA0\x80",  // a surrogate
      "tail\xE2\x82",  // cut short at the end
  };
  Record record;
  record.header = Header{};
  record.header->backendVersion = names[0];
  for (const std::string& name : names)
    record.with(
        Message::of(kExecute).named(name).lasting(10).event(Event::named(name, 7).text(name)));
  LogBuilder().record(record).writeTo(scene.logPath());

  VynProfileLogReaderXtu reader(scene.logPath(), VisibilityLevel::All);
  ASSERT_TRUE(reader.loadLog(true));
  ASSERT_EQ(reader.executeSeries.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(reader.executeSeries[i].graphName, names[i]);
    const std::vector<ProfileEvent>& events = reader.executeSeries[i].stats[0].subEvents;
    ASSERT_EQ(events.size(), 1u);
    const ProfileEvent& event = events[0];
    EXPECT_EQ(event.name, names[i]);
    EXPECT_EQ(reinterpret_cast<const char*>(event.value.payload), names[i]);
  }
  EXPECT_EQ(reader.backendVersion, names[0]);
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  reportQuietly(reader);
}

namespace fb = profiling::fb;
using EventOffsets = std::vector<flatbuffers::Offset<fb::EventEntry>>;

// Finishes a record holding one execution of graph "shared" with these events.
std::vector<std::uint8_t> finishExecutionRecord(flatbuffers::FlatBufferBuilder& builder,
                                                const EventOffsets& topEvents) {
  const auto events = builder.CreateVector(topEvents);
  const auto timestamp = fb::CreateMessageTimestamp(builder, 1);
  fb::MethodTimingBuilder timing(builder);
  timing.add_start(0);
  timing.add_end(10);
  const auto timingTable = timing.Finish();
  const auto graph = builder.CreateString("shared");
  fb::MethodMessageBuilder message(builder);
  message.add_timestamp(timestamp);
  message.add_methodType(kExecute);
  message.add_timing(timingTable);
  message.add_events(events);
  message.add_name(graph);
  const auto messages =
      builder.CreateVector(std::vector<flatbuffers::Offset<fb::MethodMessage>>{message.Finish()});
  fb::ProfileLogRecordBuilder record(builder);
  record.add_messages(messages);
  builder.Finish(record.Finish());
  return {builder.GetBufferPointer(), builder.GetBufferPointer() + builder.GetSize()};
}

// Every event lists the same child twice: a few hundred bytes that describe
// 2^levels events.
std::vector<std::uint8_t> doublingRecord(int levels) {
  flatbuffers::FlatBufferBuilder builder;
  const auto name = builder.CreateString("twin");
  auto child = fb::CreateEventEntry(builder, name, 1, 5);
  for (int level = 0; level < levels; ++level) {
    const auto twins = builder.CreateVector(EventOffsets{child, child});
    fb::EventEntryBuilder parent(builder);
    parent.add_name(name);
    parent.add_subEvents(twins);
    child = parent.Finish();
  }
  return finishExecutionRecord(builder, {child});
}

// Many small events that all point at one large byte value: about
// blobSize + 16 * events bytes that describe blobSize * events bytes of values.
std::vector<std::uint8_t> sharedBytesRecord(std::size_t blobSize, int events) {
  flatbuffers::FlatBufferBuilder builder;
  const auto blob = builder.CreateVector(std::vector<std::uint8_t>(blobSize, 0x42));
  EventOffsets entries;
  for (int i = 0; i < events; ++i) {
    fb::EventEntryBuilder entry(builder);
    entry.add_valueKind(fb::EventValueKind_Bytes);
    entry.add_bytesValue(blob);
    entries.push_back(entry.Finish());
  }
  return finishExecutionRecord(builder, entries);
}

// Offsets may be shared in the format, so a record can describe far more than
// it holds. Such a record is refused before it can take the host's memory; the
// records before it stay loaded.
class SharedOffsets : public HostileContent {
 protected:
  void expectRefused(const std::vector<std::uint8_t>& record) {
    LogBuilder()
        .messages({Message::of(kExecute).named("g").lasting(10)})
        .frame(record)
        .writeTo(scene.logPath());
    VynProfileLogReaderXtu reader(scene.logPath(), VisibilityLevel::All);
    EXPECT_FALSE(reader.loadLog(false));
    EXPECT_THAT(diagnostics.errors(), ElementsAre("Corrupted flatbuffer binary stream"));
    EXPECT_NE(findSeries(reader, "g"), nullptr);
    EXPECT_EQ(findSeries(reader, "shared"), nullptr);
  }
};

TEST_F(SharedOffsets, SubtreeListedTwiceAtEveryLevelIsRefused) {
  expectRefused(doublingRecord(40));
}

TEST_F(SharedOffsets, ByteValueSharedByManyEventsIsRefused) {
  expectRefused(sharedBytesRecord(64 * 1024, 4000));
}

}  // namespace
}  // namespace vyn::testing
