// The log builder is the base of every other test: absence and presence of
// fields must come out exactly as asked.
#include "support/log_builder.h"

#include <gtest/gtest.h>

#include "format/record_format.h"

namespace vyn::testing {
namespace {

const profiling::fb::ProfileLogRecord* root(const std::vector<std::uint8_t>& bytes) {
  return flatbuffers::GetRoot<profiling::fb::ProfileLogRecord>(bytes.data());
}

TEST(LogBuilder, AbsentAndZeroFieldsDiffer) {
  const auto bytes = buildRecord(Record{}.with(Message::of(1).named("g").at(0))
                                     .with(Message::of(1)));
  ASSERT_TRUE(profiling::verifyRecord(bytes.data(), bytes.size()));
  const auto* messages = root(bytes)->messages();
  ASSERT_EQ(messages->size(), 2u);
  EXPECT_FALSE(messages->Get(0)->timing()->start().has_value());
  EXPECT_STREQ(messages->Get(0)->name()->c_str(), "g");
  EXPECT_EQ(messages->Get(1)->name(), nullptr);

  const auto timed = buildRecord(Record{}.with(Message::of(1).timed(0, 5)));
  const auto* timing = root(timed)->messages()->Get(0)->timing();
  ASSERT_TRUE(timing->start().has_value());
  EXPECT_EQ(*timing->start(), 0u);
}

TEST(LogBuilder, KeepsEmbeddedNulBytesInNames) {
  const auto bytes = buildRecord(Record{}.with(Message::of(1).named(std::string("a\0b", 3))));
  EXPECT_EQ(root(bytes)->messages()->Get(0)->name()->size(), 3u);
}

TEST(LogBuilder, MessageWithoutRequiredTablesFailsVerification) {
  Message message = Message::of(1);
  message.hasTiming = false;
  const auto bytes = buildRecord(Record{}.with(message));
  EXPECT_FALSE(profiling::verifyRecord(bytes.data(), bytes.size()));
}

TEST(LogBuilder, FramesCarryLittleEndianLengthPrefixes) {
  LogBuilder log;
  log.lengthPrefix(0x01020304).raw({0xAA});
  EXPECT_EQ(log.bytes(), (std::vector<std::uint8_t>{4, 3, 2, 1, 0xAA}));
}

}  // namespace
}  // namespace vyn::testing
