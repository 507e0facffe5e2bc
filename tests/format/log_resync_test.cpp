// Where a damaged log's frames verify again: a chain of three frames in a row,
// or fewer that end where the log ends, found past damaged bytes.
#include "format/log_resync.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::profiling {
namespace {

using vyn::testing::buildRecord;
using vyn::testing::LogBuilder;
using vyn::testing::Message;
using vyn::testing::Record;
using Bytes = std::vector<std::uint8_t>;

// A record that verifies; n makes its bytes and size differ from the others'.
Bytes goodRecord(int n) {
  return buildRecord(Record{}.with(Message::of(1)
                                       .at(static_cast<std::uint64_t>(n))
                                       .lasting(5)
                                       .named("graph " + std::string(static_cast<std::size_t>(n), 'g'))));
}

// Bytes that hold no frame: each offset's prefix is too large for what follows.
Bytes garbage(std::size_t size) { return Bytes(size, 0xEE); }

// A frame whose record does not verify, with a plausible prefix and root
// offset: the search must verify it to refuse it.
Bytes badFrame() {
  Bytes record = goodRecord(1);
  record[4] ^= 0x7F;  // the root table's vtable offset
  return LogBuilder().frame(record).bytes();
}

Bytes frames(std::initializer_list<int> records) {
  LogBuilder log;
  for (int n : records) log.frame(goodRecord(n));
  return log.bytes();
}

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::uint64_t sizeOf(std::initializer_list<Bytes> parts) { return join(parts).size(); }

struct FindCase {
  std::string name;
  Bytes log;
  std::uint64_t from;
  std::optional<std::uint64_t> found;
};

TEST(LogResync, FindsTheFirstOffsetFromWhichAChainOfFramesVerifies) {
  const Bytes junk = garbage(101), bad = badFrame();
  const FindCase cases[] = {
      {"three frames after garbage", join({junk, frames({1, 2, 3})}), 0, junk.size()},
      {"two that end the log", join({junk, frames({1, 2})}), 0, junk.size()},
      // One to three stray bytes after a frame end a log as well as its end.
      {"two and stray bytes", join({junk, frames({1, 2}), {7, 7, 7}}), 0, junk.size()},
      {"two and four bytes", join({junk, frames({1, 2}), {7, 7, 7, 7}}), 0, std::nullopt},
      {"two and a bad frame", join({junk, frames({1, 2}), bad}), 0, std::nullopt},
      {"one and a cut frame", join({junk, frames({1}), LogBuilder().lengthPrefix(40).raw(garbage(20)).bytes()}), 0,
       std::nullopt},
      {"a bad frame then three", join({bad, frames({1, 2, 3})}), 0, bad.size()},
      {"one between garbage, then three", join({junk, frames({6}), junk, frames({1, 2, 3})}), 0,
       sizeOf({junk, frames({6}), junk})},
      // Inside a record no offset starts a chain: the next frame does.
      {"from inside a frame", frames({9, 1, 2, 3}), 1, frames({9}).size()},
      {"from a frame", frames({9, 1, 2, 3}), frames({9}).size(), frames({9}).size()},
      {"nothing but garbage", garbage(300), 0, std::nullopt},
      {"from the end", frames({1, 2, 3}), frames({1, 2, 3}).size(), std::nullopt},
  };
  vyn::testing::TempDir dir;
  for (const FindCase& test : cases) {
    const std::string path = dir.file("resync.log");
    vyn::testing::writeFile(path, std::string(test.log.begin(), test.log.end()));
    LogResync resync;
    ASSERT_TRUE(resync.open(path)) << test.name;
    EXPECT_EQ(resync.findChain(test.from), test.found) << test.name;
    EXPECT_EQ(resync.problem(), "") << test.name;
    EXPECT_EQ(resync.stoppedShort(), "") << test.name;
  }
}

TEST(LogResync, NeedsARegularFile) {
  vyn::testing::TempDir dir;
  LogResync directory;
  EXPECT_FALSE(directory.open(dir.path()));
  EXPECT_EQ(directory.problem(), "not a regular file");
}

}  // namespace
}  // namespace vyn::profiling
