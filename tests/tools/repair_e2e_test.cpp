// vyn-profile-log repair: the records around damage kept byte for byte, each
// dropped range said with why, and nothing written when nothing is left.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/log_builder.h"
#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::HasSubstr;
using RepairTest = ToolTest;

std::string text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Ten frames of different sizes, as text.
std::vector<std::string> tenFrames() {
  std::vector<std::string> frames;
  for (std::uint64_t n = 0; n < 10; ++n) {
    Message message = Message::of(1).at(n).lasting(10 + n).named("graph " + std::string(n * 3, 'x'));
    for (std::uint32_t i = 0; i < n % 3; ++i) message.event(Event::named("layer", i).u64(n * i).withUnit(1));
    frames.push_back(text(LogBuilder().messages({message}).bytes()));
  }
  return frames;
}

std::string join(const std::vector<std::string>& frames, const std::vector<std::size_t>& which) {
  std::string all;
  for (std::size_t i : which) all += frames[i];
  return all;
}

std::string range(std::size_t from, std::size_t size) {
  return "dropped bytes " + std::to_string(from) + "-" + std::to_string(from + size - 1) + " (" + std::to_string(size) +
         " bytes): ";
}

TEST_F(RepairTest, KeepsTheRecordsAroundDamageByteForByteAndSaysWhatItDropped) {
  const std::vector<std::string> frames = tenFrames();
  const std::vector<std::size_t> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  const std::string log = join(frames, all);
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0, offset = 0; i < frames.size(); offset += frames[i++].size()) offsets.push_back(offset);
  const auto at = [&](std::size_t i) { return offsets[i]; };

  // Record 4's root offset with its top bit flipped: far outside the record.
  std::string flipped = log;
  flipped[at(4) + 7] = static_cast<char>(flipped[at(4) + 7] ^ 0x80);
  std::uint32_t root = 0;
  for (int i = 3; i >= 0; --i) root = root << 8 | static_cast<std::uint8_t>(frames[4][4 + static_cast<std::size_t>(i)]);
  const std::string bad = text(LogBuilder().frame(std::vector<std::uint8_t>(16, 0xFF)).bytes());
  const std::size_t strayAt = join(frames, {0, 1, 2, 3}).size() + bad.size();
  const std::string rootOutside = "root offset 4294967295 points outside the record";

  const struct {
    std::string name, log;
    std::vector<std::size_t> kept;
    std::vector<std::string> dropped;  // the lines on standard error, without the tool and log names
    std::string summary;
  } cases[] = {
      {"flipped.log",
       flipped,
       {0, 1, 2, 3, 5, 6, 7, 8, 9},
       {range(at(4), frames[4].size()) + "record 4 at byte offset " + std::to_string(at(4)) + ": root offset " +
        std::to_string(root + 0x80000000u) + " points outside the record"},
       "kept 9 records (" + std::to_string(log.size() - frames[4].size()) + " bytes), dropped " +
           std::to_string(frames[4].size()) + " bytes in 1 range"},
      {"cut.log",
       log.substr(0, log.size() - 5),
       {0, 1, 2, 3, 4, 5, 6, 7, 8},
       {range(at(9), frames[9].size() - 5) + "record 9 at byte offset " + std::to_string(at(9)) +
        ": truncated record: the length prefix announces " + std::to_string(frames[9].size() - 4) + " bytes, only " +
        std::to_string(frames[9].size() - 9) + " remain"},
       "kept 9 records (" + std::to_string(at(9)) + " bytes), dropped " + std::to_string(frames[9].size() - 5) +
           " bytes in 1 range"},
      // After a bad frame, three frames and one stray byte: the chain ends the log.
      {"bad-then-three.log",
       frames[0] + bad + frames[1] + frames[2] + frames[3] + "\x01",
       {0, 1, 2, 3},
       {range(frames[0].size(), bad.size()) + "record 1 at byte offset " + std::to_string(frames[0].size()) + ": " +
            rootOutside,
        "dropped bytes " + std::to_string(strayAt) + "-" + std::to_string(strayAt) +
            " (1 byte): stray bytes after the last record (readers ignore them)"},
       "kept 4 records (" + std::to_string(join(frames, {0, 1, 2, 3}).size()) + " bytes), dropped " +
           std::to_string(bad.size() + 1) + " bytes in 2 ranges"},
      {"intact.log", log, all, {}, "kept 10 records (" + std::to_string(log.size()) + " bytes), dropped nothing"},
  };
  for (const auto& c : cases) {
    writeFile(work.file(c.name), c.log);
    const ToolRun run = tool({"repair", c.name, "-o", "fixed.log"});
    EXPECT_EQ(run.exitCode, 0) << c.name;
    std::string err;
    for (const std::string& line : c.dropped) err += "vyn-profile-log: " + c.name + ": " + line + "\n";
    EXPECT_EQ(run.err, err + "vyn-profile-log: fixed.log: " + c.summary + "\n") << c.name;
    EXPECT_EQ(scratch("fixed.log"), join(frames, c.kept)) << c.name;
  }
}

// A pipe cannot be searched: the copy stops at the first bad record, and the
// rest of what comes through it is dropped as one range.
TEST_F(RepairTest, FromAPipeStopsAtTheFirstBadRecord) {
  const std::vector<std::string> frames = tenFrames();
  const std::string bad = text(LogBuilder().frame(std::vector<std::uint8_t>(16, 0xFF)).bytes());
  writeFile(work.file("damaged.log"), frames[0] + frames[1] + bad + frames[2] + frames[3] + frames[4]);
  ASSERT_EQ(::mkfifo(work.file("pipe").c_str(), 0600), 0);
  shellSetup = "cat damaged.log > pipe & ";
  const ToolRun run = tool({"repair", "pipe", "-o", "fixed.log"});
  EXPECT_EQ(run.exitCode, 0);
  const std::size_t badAt = frames[0].size() + frames[1].size();
  const std::size_t rest = bad.size() + frames[2].size() + frames[3].size() + frames[4].size();
  EXPECT_EQ(run.err, "vyn-profile-log: pipe: " + range(badAt, rest) + "record 2 at byte offset " +
                         std::to_string(badAt) + ": root offset 4294967295 points outside the record\n" +
                         "vyn-profile-log: fixed.log: kept 2 records (" + std::to_string(badAt) + " bytes), dropped " +
                         std::to_string(rest) + " bytes in 1 range\n");
  EXPECT_EQ(scratch("fixed.log"), frames[0] + frames[1]);
}

// Nothing to keep: no output, and an existing one stays as it was.
TEST_F(RepairTest, WritesNothingWhenNoRecordVerifies) {
  writeFile(work.file("fixed.log"), "earlier content\n");
  writeFile(work.file("notes.txt"), "hello world, this is text\n");
  writeFile(work.file("empty.log"), "");
  const std::pair<std::string, std::string> cases[] = {
      {"notes.txt",
       "notes.txt: dropped bytes 0-25 (26 bytes): not a profiling log: the first record does not verify and its "
       "length prefix, 1819043176 bytes, is implausible for a file of 26 bytes\n"
       "vyn-profile-log: notes.txt: nothing to keep: no record in it verifies; fixed.log not written\n"},
      {"empty.log", "empty.log: nothing to keep: the log holds no records; fixed.log not written\n"},
  };
  for (const auto& [log, err] : cases) {
    const ToolRun run = tool({"repair", log, "-o", "fixed.log"});
    EXPECT_EQ(run.exitCode, 1) << log;
    EXPECT_EQ(run.err, "vyn-profile-log: " + err);
    EXPECT_EQ(scratch("fixed.log"), "earlier content\n");
  }
}

}  // namespace
}  // namespace vyn::testing
