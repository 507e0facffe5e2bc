// Where a log stops being readable, in the words every analysis command uses:
// which faults leave a readable part, the unread bytes and their share, counts
// in the singular, and the repair command that works for the path given.
#include "analysis/log_extent.h"

#include <gtest/gtest.h>

namespace vyn::tools {
namespace {

using profiling::LogFault;
using profiling::LogFaultKind;

LogFault faultAt(LogFaultKind kind, std::uint64_t record, std::uint64_t offset, std::string words = "") {
  LogFault fault;
  fault.kind = kind;
  fault.record = record;
  fault.offset = offset;
  fault.words = std::move(words);
  return fault;
}

TEST(LogExtentTest, OnlyABadRecordAfterGoodOnesLeavesAReadablePart) {
  struct Case {
    LogFaultKind kind;
    std::uint64_t record;
    bool readable;
  };
  const Case cases[] = {
      {LogFaultKind::Truncated, 3, true},  {LogFaultKind::CopiesTooMuch, 3, true}, {LogFaultKind::Truncated, 0, false},
      {LogFaultKind::ReadError, 3, false}, {LogFaultKind::Unopened, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(readablePartFollows(faultAt(c.kind, c.record, 96)), c.readable)
        << static_cast<int>(c.kind) << " at record " << c.record;
  }
  LogFault notALog = faultAt(LogFaultKind::Truncated, 0, 0);
  notALog.notALog = "not a profiling log: ...";
  EXPECT_FALSE(readablePartFollows(notALog));
}

// Shares: 9 of 109 bytes is 8.26%; 1 of a million shows as under 0.1%. The
// plain case is the partial-log end-to-end test's.
TEST(LogExtentTest, TheWarningAndTheRefusalSayWhereWhatIsLeftAndHowToKeepTheRest) {
  struct Case {
    std::string path;
    std::uint64_t records, offset, fileSize;
    LogFaultKind kind;
    std::string words, tail, kept, repair;
  };
  const Case cases[] = {
      {"logs/my run.log", 1, 100, 109, LogFaultKind::Malformed, "bad",
       "at record 1 (byte offset 100): bad; 9 bytes (8.3% of the file) left unread",
       "1 record before it; to keep it as a log of its own: ",
       "vyn-profile-log repair 'logs/my run.log' -o 'logs/my run.repaired.log'"},
      {"-x", 2, 999999, 1000000, LogFaultKind::CopiesTooMuch, "w",
       "at record 2 (byte offset 999999): w; 1 byte (under 0.1% of the file) left unread",
       "2 records before it; to keep them as a log of their own: ", "vyn-profile-log repair ./-x -o ./-x.repaired"},
      // A pipe: its size is unknown, and so is what is left.
      {"/dev/stdin", 3, 300, 0, LogFaultKind::Truncated, "w", "at record 3 (byte offset 300): w",
       "3 records before it; to keep them as a log of their own: ",
       "vyn-profile-log repair /dev/stdin -o /dev/stdin.repaired"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    LogExtent extent;
    extent.records = c.records;
    extent.fault = faultAt(c.kind, c.records, c.offset, c.words);
    extent.fileSize = c.fileSize;
    EXPECT_EQ(unreadableTailText(extent), "the log stops being readable " + c.tail);
    EXPECT_EQ(partialLogWarning(c.path, extent),
              "warning: the log stops being readable " + c.tail + ". Using the " + c.kept + c.repair);
    const std::string records = c.kept.substr(0, c.kept.find(" before"));
    EXPECT_EQ(strictRefusal(c.path, extent), "the log stops being readable " + c.tail +
                                                 ". --strict takes only a whole log, so nothing was written; "
                                                 "to keep the " +
                                                 records + " before it: " + c.repair);
  }
}

}  // namespace
}  // namespace vyn::tools
