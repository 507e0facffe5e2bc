// What a walk over a damaged log keeps under random damage: nothing false,
// and every record that is intact and framed.
#include "format/log_salvage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "format/record_format.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::profiling {
namespace {

using vyn::testing::buildRecord;
using vyn::testing::Event;
using vyn::testing::LogBuilder;
using vyn::testing::Message;
using vyn::testing::Record;
using Bytes = std::vector<std::uint8_t>;

struct KeptFrame {
  std::uint64_t offset;
  Bytes record;
};

std::vector<KeptFrame> salvage(const vyn::testing::TempDir& dir, const Bytes& log) {
  const std::string path = dir.file("damaged.log");
  vyn::testing::writeFile(path, std::string(log.begin(), log.end()));
  LogSalvage walk;
  std::vector<KeptFrame> kept;
  EXPECT_TRUE(walk.open(path));
  for (LogSalvage::Step step; (step = walk.next()) != LogSalvage::Step::End;) {
    if (step == LogSalvage::Step::Record) {
      kept.push_back({walk.frame().offset, Bytes(walk.frame().bytes.begin(), walk.frame().bytes.end())});
    } else if (step == LogSalvage::Step::Failed) {
      ADD_FAILURE() << walk.problem();
      break;
    }
  }
  return kept;
}

// A record of a few messages and events; n varies its size and bytes.
Bytes numberedRecord(std::uint32_t n, std::size_t nameLength, std::size_t events) {
  Message message = Message::of(1).at(n).lasting(n % 7).named(std::string(nameLength, static_cast<char>('a' + n % 26)));
  for (std::size_t i = 0; i < events; ++i) message.event(Event::named("layer", n).u64(i * n).withUnit(1));
  return buildRecord(Record{}.with(message));
}

// Logs of known records in which bytes [at, at + cut) are replaced by
// `inserted` random bytes: a deletion, an overwrite or an insertion, mostly
// short (a sector's worth at most). What the walk must give:
// 1. Nothing false: every record kept verifies, and one whose frame holds no
//    damage is the original record that lay there. (A damaged record that
//    still verifies is kept as it is: the walk cannot know it was damaged.)
// 2. Nothing framed lost: an original frame wholly before or wholly after the
//    damage is kept unless a kept damaged frame overlaps it. (The frames after
//    the damage end the log, so they are a chain.)
// A chance match in damaged bytes could still throw the walk off; in these
// seeded cases it does not.
TEST(LogSalvage, KeepsEveryFramedIntactRecordAndNothingFalseUnderRandomDamage) {
  vyn::testing::TempDir dir;
  for (std::uint32_t seed = 1; seed <= 400; ++seed) {
    std::mt19937 random(seed);
    std::vector<Bytes> records;
    LogBuilder builder;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> frames;  // original offset and end
    for (std::uint32_t n = 0, count = 4 + static_cast<std::uint32_t>(random() % 9); n < count; ++n) {
      records.push_back(numberedRecord(n, random() % 40, random() % 4));
      frames.emplace_back(builder.bytes().size(), builder.bytes().size() + 4 + records.back().size());
      builder.frame(records.back());
    }
    const Bytes& original = builder.bytes();
    const std::size_t length = 1 + random() % (random() % 4 == 0 ? 300 : 12);
    const std::size_t at = random() % (original.size() + 1);
    const auto kind = random() % 3;
    const std::size_t cut = kind == 2 ? 0 : std::min(original.size() - at, length);
    const std::size_t inserted = kind == 0 ? 0 : kind == 1 ? cut : length;
    Bytes log(original.begin(), original.begin() + static_cast<long>(at));
    for (std::size_t i = 0; i < inserted; ++i) log.push_back(static_cast<std::uint8_t>(random()));
    log.insert(log.end(), original.begin() + static_cast<long>(at + cut), original.end());
    const auto holdsDamage = [&](std::uint64_t from, std::uint64_t to) {
      return inserted > 0 ? from < at + inserted && at < to : from < at && at < to;
    };
    const std::vector<KeptFrame> kept = salvage(dir, log);
    const std::string context = "seed " + std::to_string(seed);

    // Where each original frame lies in the damaged log, or 0 when damage touches it.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> placed;
    for (const auto& [from, to] : frames) {
      if (to <= at)
        placed.emplace_back(from, to);
      else if (from >= at + cut)
        placed.emplace_back(from - cut + inserted, to - cut + inserted);
      else
        placed.emplace_back(0, 0);
    }

    // 1. Nothing false.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> keptWithDamage;
    for (const KeptFrame& frame : kept) {
      const std::uint64_t end = frame.offset + 4 + frame.record.size();
      EXPECT_TRUE(verifyRecord(frame.record.data(), frame.record.size())) << context;
      if (holdsDamage(frame.offset, end)) {
        keptWithDamage.emplace_back(frame.offset, end);
        continue;
      }
      const auto lay = std::find(placed.begin(), placed.end(), std::make_pair(frame.offset, end));
      ASSERT_NE(lay, placed.end()) << context << ": a clean frame kept at " << frame.offset;
      EXPECT_EQ(frame.record, records[static_cast<std::size_t>(lay - placed.begin())]) << context;
    }

    // 2. Nothing framed lost.
    for (const auto& [from, to] : placed) {
      const bool overlapped = std::any_of(keptWithDamage.begin(), keptWithDamage.end(),
                                          [&](const auto& frame) { return frame.first < to && from < frame.second; });
      if (to == 0 || overlapped) continue;
      EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [&](const KeptFrame& frame) { return frame.offset == from; }))
          << context << ": the intact frame at " << from;
    }
  }
}

}  // namespace
}  // namespace vyn::profiling
