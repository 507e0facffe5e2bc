// vyn-profile-log repair: the records around damage kept byte for byte, each
// dropped range said with why, and nothing written when nothing is left. Where
// damage of every kind ends and good records start again: tests/format.
#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "support/log_builder.h"
#include "tool_runner.h"

namespace vyn::testing {
namespace {

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
  const std::size_t lastAt = log.size() - frames[9].size();
  const std::string bad = text(LogBuilder().frame(std::vector<std::uint8_t>(16, 0xFF)).bytes());
  const std::size_t strayAt = join(frames, {0, 1, 2, 3}).size() + bad.size();
  const std::string rootOutside = "root offset 4294967295 points outside the record";

  const struct {
    std::string name, log;
    std::vector<std::size_t> kept;
    std::vector<std::string> dropped;  // the lines on standard error, without the tool and log names
    std::string summary;
  } cases[] = {
      {"cut.log",
       log.substr(0, log.size() - 5),
       {0, 1, 2, 3, 4, 5, 6, 7, 8},
       {range(lastAt, frames[9].size() - 5) + "record 9 at byte offset " + std::to_string(lastAt) +
        ": truncated record: the length prefix announces " + std::to_string(frames[9].size() - 4) + " bytes, only " +
        std::to_string(frames[9].size() - 9) + " remain"},
       "kept 9 records (" + std::to_string(lastAt) + " bytes), dropped " + std::to_string(frames[9].size() - 5) +
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
