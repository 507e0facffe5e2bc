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

TEST(LogBuilder, AbsentAndZeroFieldsDifferAndNamesKeepNulBytes) {
  const auto bytes = buildRecord(Record{}.with(Message::of(1).named(std::string("g\0h", 3)).at(0))
                                     .with(Message::of(1)).with(Message::of(1).timed(0, 5)));
  ASSERT_TRUE(profiling::verifyRecord(bytes.data(), bytes.size()));
  const auto* messages = root(bytes)->messages();
  ASSERT_EQ(messages->size(), 3u);
  EXPECT_FALSE(messages->Get(0)->timing()->start().has_value());
  EXPECT_EQ(messages->Get(0)->name()->str(), std::string("g\0h", 3));
  EXPECT_EQ(messages->Get(1)->name(), nullptr);
  ASSERT_TRUE(messages->Get(2)->timing()->start().has_value());
  EXPECT_EQ(*messages->Get(2)->timing()->start(), 0u);
}

TEST(LogBuilder, MessageWithoutTimingFailsVerificationAndFramesAreLittleEndian) {
  Message message = Message::of(1);
  message.hasTiming = false;
  const auto bytes = buildRecord(Record{}.with(message));
  EXPECT_FALSE(profiling::verifyRecord(bytes.data(), bytes.size()));
  LogBuilder log;
  log.lengthPrefix(0x01020304).raw({0xAA});
  EXPECT_EQ(log.bytes(), (std::vector<std::uint8_t>{4, 3, 2, 1, 0xAA}));
}

}  // namespace
}  // namespace vyn::testing
