// What a walk over a damaged log keeps under random damage: nothing false,
// and every record that is intact and framed.
#include "format/log_salvage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
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

struct Salvaged {
  std::vector<KeptFrame> kept;
  std::vector<DroppedRange> dropped;
};

Salvaged salvage(const vyn::testing::TempDir& dir, const Bytes& log) {
  const std::string path = dir.file("damaged.log");
  vyn::testing::writeFile(path, std::string(log.begin(), log.end()));
  LogSalvage walk;
  Salvaged out;
  EXPECT_TRUE(walk.open(path));
  for (LogSalvage::Step step; (step = walk.next()) != LogSalvage::Step::End;) {
    if (step == LogSalvage::Step::Record) {
      out.kept.push_back({walk.frame().offset, Bytes(walk.frame().bytes.begin(), walk.frame().bytes.end())});
    } else if (step == LogSalvage::Step::Dropped) {
      out.dropped.push_back(walk.dropped());
    } else {
      ADD_FAILURE() << walk.problem();
      break;
    }
  }
  return out;
}

// A record of a few messages and events; n varies its size and bytes.
Bytes numberedRecord(std::uint32_t n, std::size_t nameLength, std::size_t events) {
  Message message = Message::of(1).at(n).lasting(n % 7).named(std::string(nameLength, static_cast<char>('a' + n % 26)));
  for (std::size_t i = 0; i < events; ++i) message.event(Event::named("layer", n).u64(i * n).withUnit(1));
  return buildRecord(Record{}.with(message));
}

// The log of records, and the offset of each frame.
struct Log {
  Bytes bytes;
  std::vector<std::uint64_t> offsets;
};

Log logOf(const std::vector<Bytes>& records) {
  Log log;
  LogBuilder builder;
  for (const Bytes& record : records) {
    log.offsets.push_back(builder.bytes().size());
    builder.frame(record);
  }
  log.bytes = builder.bytes();
  return log;
}

// The property under random damage. A damaged log is tracked byte by byte:
// where each byte came from in the original log (or that it was inserted),
// whether damage touched it (flipped, overwritten, inserted), and whether bytes
// were deleted just before it.
struct TrackedByte {
  std::uint8_t value;
  std::int64_t origin;  // its offset in the original log; -1 when inserted
  bool damaged;
  bool cutBefore;  // bytes were deleted between the one before it and it
};

using Tracked = std::vector<TrackedByte>;

Tracked track(const Bytes& log) {
  Tracked bytes;
  for (std::size_t i = 0; i < log.size(); ++i) bytes.push_back({log[i], static_cast<std::int64_t>(i), false, false});
  return bytes;
}

// One random piece of damage: a range flipped, overwritten, inserted or
// deleted, mostly short (a sector's worth at most).
void damage(Tracked& bytes, std::mt19937& random) {
  const std::size_t length = 1 + random() % (random() % 4 == 0 ? 300 : 12);
  const std::size_t at = random() % (bytes.size() + 1);
  const std::size_t end = std::min(bytes.size(), at + length);
  switch (random() % 4) {
    case 0:  // flip bits
      for (std::size_t i = at; i < end; ++i) {
        bytes[i].value ^= static_cast<std::uint8_t>(1 + random() % 255);
        bytes[i].damaged = true;
      }
      break;
    case 1:  // overwrite
      for (std::size_t i = at; i < end; ++i) {
        bytes[i].value = static_cast<std::uint8_t>(random());
        bytes[i].damaged = true;
      }
      break;
    case 2: {  // insert
      Tracked inserted;
      for (std::size_t i = 0; i < length; ++i)
        inserted.push_back({static_cast<std::uint8_t>(random()), -1, true, false});
      bytes.insert(bytes.begin() + static_cast<long>(at), inserted.begin(), inserted.end());
      break;
    }
    default:  // delete
      if (end == at) break;
      bytes.erase(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(end));
      if (at < bytes.size()) bytes[at].cutBefore = true;
      break;
  }
}

// Whether bytes [from, to) of the damaged log hold damage: a damaged byte, or
// a deletion inside them (one at either edge leaves them whole).
bool holdsDamage(const Tracked& bytes, std::uint64_t from, std::uint64_t to) {
  for (std::uint64_t i = from; i < to; ++i) {
    if (bytes[i].damaged || (i > from && bytes[i].cutBefore)) return true;
  }
  return false;
}

// Random damage to logs of known records, and what the walk must give:
// 1. Nothing false: every record kept verifies, and one whose frame holds no
//    damage is an original record. (A damaged record that still verifies is
//    kept as it is: the walk cannot know it was damaged.)
// 2. Nothing framed lost. An original frame is intact when no damage touches
//    it and no kept damaged frame overlaps it; intact frames in a row form a
//    run. A run is framed when the walk must reach its first frame: it starts
//    the log, a kept frame ends where it starts, or it is a chain (three
//    frames, or fewer that end the log but for at most three stray bytes).
//    Every frame of a framed run is kept.
// A chance match in damaged bytes could still throw the walk off; in these
// seeded cases it does not.
TEST(LogSalvage, KeepsEveryFramedIntactRecordAndNothingFalseUnderRandomDamage) {
  vyn::testing::TempDir dir;
  for (std::uint32_t seed = 1; seed <= 400; ++seed) {
    std::mt19937 random(seed);
    std::vector<Bytes> records;
    const std::size_t count = 4 + random() % 9;
    for (std::uint32_t n = 0; n < count; ++n) records.push_back(numberedRecord(n, random() % 40, random() % 4));
    const Log original = logOf(records);
    Tracked bytes = track(original.bytes);
    const std::size_t pieces = 1 + random() % 3;
    for (std::size_t i = 0; i < pieces; ++i) damage(bytes, random);
    Bytes log;
    for (const TrackedByte& b : bytes) log.push_back(b.value);
    const Salvaged out = salvage(dir, log);
    const std::string context = "seed " + std::to_string(seed);

    // Where each original frame lies in the damaged log, if its first byte is there.
    std::map<std::int64_t, std::uint64_t> placeOf;
    for (std::uint64_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i].origin >= 0) placeOf[bytes[i].origin] = i;
    }
    std::map<std::int64_t, std::size_t> recordAt;
    for (std::size_t i = 0; i < count; ++i) recordAt[static_cast<std::int64_t>(original.offsets[i])] = i;

    // 1. Nothing false.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> keptWithDamage;
    std::map<std::uint64_t, std::uint64_t> keptEnds;  // offset -> end
    for (const KeptFrame& frame : out.kept) {
      const std::uint64_t end = frame.offset + 4 + frame.record.size();
      EXPECT_TRUE(verifyRecord(frame.record.data(), frame.record.size())) << context;
      keptEnds[frame.offset] = end;
      if (holdsDamage(bytes, frame.offset, end)) {
        keptWithDamage.emplace_back(frame.offset, end);
        continue;
      }
      const auto original_ = recordAt.find(bytes[frame.offset].origin);
      ASSERT_NE(original_, recordAt.end()) << context << ": a clean frame kept at " << frame.offset;
      EXPECT_EQ(frame.record, records[original_->second]) << context;
    }

    // 2. Nothing framed lost: the intact frames in the order they lie.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> intact;
    for (std::size_t i = 0; i < count; ++i) {
      const auto place = placeOf.find(static_cast<std::int64_t>(original.offsets[i]));
      if (place == placeOf.end()) continue;
      const std::uint64_t from = place->second, to = from + 4 + records[i].size();
      if (to > bytes.size() || holdsDamage(bytes, from, to)) continue;
      bool whole = true;
      for (std::uint64_t b = from; b < to; ++b) {
        whole = whole && bytes[b].origin == static_cast<std::int64_t>(original.offsets[i] + (b - from));
      }
      const bool overlapped = std::any_of(keptWithDamage.begin(), keptWithDamage.end(),
                                          [&](const auto& kept) { return kept.first < to && from < kept.second; });
      if (whole && !overlapped) intact.emplace_back(from, to);
    }
    std::set<std::uint64_t> keptEndsAt;
    for (const auto& [from, to] : keptEnds) keptEndsAt.insert(to);
    for (std::size_t first = 0; first < intact.size();) {
      std::size_t last = first;
      while (last + 1 < intact.size() && intact[last + 1].first == intact[last].second) ++last;
      const bool framed = intact[first].first == 0 || keptEndsAt.count(intact[first].first) > 0 ||
                          last - first + 1 >= 3 || bytes.size() - intact[last].second < 4;
      for (std::size_t i = first; framed && i <= last; ++i) {
        EXPECT_EQ(keptEnds.count(intact[i].first), 1u) << context << ": the intact frame at " << intact[i].first;
      }
      first = last + 1;
    }
  }
}

}  // namespace
}  // namespace vyn::profiling
