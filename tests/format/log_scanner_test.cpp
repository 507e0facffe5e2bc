// The one loop over a log's frames: which steps a log gives, and the fault that
// stops it, with where it is and the words every tool prints.
#include "format/log_scanner.h"

#include <gmock/gmock.h>
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
using Step = LogScanner::Step;

Bytes goodRecord() { return buildRecord(Record{}.with(Message::of(1).at(1).lasting(5))); }

// A record whose message at index untimedAt has no timing table.
Bytes recordWithUntimedMessage(std::size_t untimedAt) {
  Record record;
  for (std::size_t i = 0; i <= untimedAt; ++i) {
    Message message = Message::of(1).at(i + 1);
    message.hasTiming = i != untimedAt;
    record.with(message);
  }
  return buildRecord(record);
}

struct ExpectedFault {
  LogFaultKind kind;
  std::uint64_t record;
  std::uint64_t offset;
  std::optional<std::uint64_t> message;
  std::string text;  // LogFault::text(); loadFailure() adds kCouldNot unless the file is no log
};

const std::string kCouldNot = "the log could not be loaded: ";

struct ScanCase {
  std::string name;
  Bytes log;
  std::vector<Step> steps;  // up to and including the first End
  std::size_t strayBytes;
  std::vector<ExpectedFault> faults;  // one per Fault step, in order
};

std::vector<ScanCase> scanCases() {
  const Bytes good = goodRecord();
  // Where the second frame begins: after the first one's prefix and record.
  const std::uint64_t second = 4 + good.size();
  const std::string atSecond = "record 1 at byte offset " + std::to_string(second) + ": ";
  const std::string text = "hello world, this is text\n";
  const Bytes notes(text.begin(), text.end());
  return {
      {"empty", {}, {Step::End}, 0, {}},
      {"two records", LogBuilder().frame(good).frame(good).bytes(), {Step::Record, Step::Record, Step::End}, 0, {}},
      {"two stray bytes", LogBuilder().frame(good).raw({7, 7}).bytes(), {Step::Record, Step::End}, 2, {}},
      {"cut short",
       LogBuilder().frame(good).lengthPrefix(100).raw({1, 2, 3}).bytes(),
       {Step::Record, Step::Fault, Step::End},
       0,
       {{LogFaultKind::Truncated, 1, second, std::nullopt,
         atSecond + "truncated record: the length prefix announces 100 bytes, only 3 remain"}}},
      // A refused record does not end the scan: the next frame is read.
      {"untimed message",
       LogBuilder().frame(good).frame(recordWithUntimedMessage(1)).frame(good).bytes(),
       {Step::Record, Step::Fault, Step::Record, Step::End},
       0,
       {{LogFaultKind::Malformed, 1, second, 1, atSecond + "message 1 has no timing (a required field)"}}},
      // "hell" read as a length is 0x6c6c6568.
      {"text file",
       notes,
       {Step::Fault, Step::End},
       0,
       {{LogFaultKind::Truncated, 0, 0, std::nullopt,
         "not a profiling log: the first record does not verify and its length prefix, 1819043176 bytes, is "
         "implausible for a file of 26 bytes"}}},
      // Bytes no record could be, as a second frame: a damaged record of a log.
      {"root offset outside, second frame",
       LogBuilder().frame(good).frame(Bytes(16, 0xFF)).bytes(),
       {Step::Record, Step::Fault, Step::End},
       0,
       {{LogFaultKind::Malformed, 1, second, std::nullopt,
         atSecond + "root offset 4294967295 points outside the record"}}},
  };
}

TEST(LogScanner, YieldsRecordsAndTheFaultThatStopsThem) {
  vyn::testing::TempDir dir;
  for (const ScanCase& test : scanCases()) {
    const std::string path = dir.file("scan.log");
    vyn::testing::writeFile(path, std::string(test.log.begin(), test.log.end()));
    LogScanner scanner;
    ASSERT_TRUE(scanner.open(path)) << test.name;
    std::vector<Step> steps;
    std::vector<LogFault> faults;
    do {
      steps.push_back(scanner.next());
      if (steps.back() == Step::Fault) faults.push_back(scanner.fault());
    } while (steps.back() != Step::End && steps.size() < 10);
    EXPECT_EQ(steps, test.steps) << test.name;
    EXPECT_EQ(scanner.strayBytes(), test.strayBytes) << test.name;
    EXPECT_EQ(scanner.next(), Step::End) << test.name;
    ASSERT_EQ(faults.size(), test.faults.size()) << test.name;
    for (std::size_t i = 0; i < faults.size(); ++i) {
      const ExpectedFault& expected = test.faults[i];
      EXPECT_EQ(faults[i].kind, expected.kind) << test.name;
      EXPECT_EQ(faults[i].record, expected.record) << test.name;
      EXPECT_EQ(faults[i].offset, expected.offset) << test.name;
      EXPECT_EQ(faults[i].message, expected.message) << test.name;
      EXPECT_EQ(faults[i].text(), expected.text) << test.name;
      const bool notALog = expected.text.rfind("not a profiling log", 0) == 0;
      EXPECT_EQ(faults[i].loadFailure(), (notALog ? "" : kCouldNot) + expected.text) << test.name;
    }
  }
}

TEST(LogScanner, AFileThatCannotBeOpenedIsAFaultOfItsOwnWithoutAPlace) {
  vyn::testing::TempDir dir;
  const std::pair<std::string, std::string> cases[] = {
      {dir.file("absent.log"), "no such file"},
      {dir.path(), "is a directory, not a log file"},
  };
  for (const auto& [path, words] : cases) {
    LogScanner scanner;
    EXPECT_FALSE(scanner.open(path)) << path;
    EXPECT_EQ(scanner.fault().kind, LogFaultKind::Unopened) << path;
    EXPECT_EQ(scanner.fault().text(), words) << path;
    EXPECT_EQ(scanner.fault().loadFailure(), words) << path;
    EXPECT_EQ(scanner.next(), Step::End) << path;
  }
}

}  // namespace
}  // namespace vyn::profiling
