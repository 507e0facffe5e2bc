// Frames that lie about their length. Whatever the framing, the load keeps every
// record before the bad frame, says what was wrong, and never allocates for
// bytes that are not in the file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "hostile/allocation_probe.h"
#include "hostile/hostile_support.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "support/log_builder.h"

namespace vyn::testing {
namespace {

using profiling::VisibilityLevel;
using profiling::VynProfileLogReaderXtu;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kExecute = 1;
// Whatever the read chunk of a log of unknown size is, it is far below this.
constexpr std::size_t kAllocationCeiling = 64u << 20;

class HostileFraming : public ::testing::Test {
 protected:
  // A log whose first record holds one execution of graph g lasting 1500 us.
  static LogBuilder goodStart() {
    return LogBuilder().messages({Message::of(kExecute).named("g").at(7).lasting(1500)});
  }

  // The execution of goodStart() is in the reader.
  static void expectGoodStartKept(const VynProfileLogReaderXtu& reader) {
    ASSERT_EQ(reader.executeSeries.size(), 1u);
    EXPECT_EQ(reader.executeSeries[0].graphName, "g");
    ASSERT_EQ(reader.executeSeries[0].stats.size(), 1u);
    EXPECT_EQ(reader.executeSeries[0].stats[0].value, 1500u);
    EXPECT_EQ(reader.executeSeries[0].stats[0].timestamp, 7u);
  }

  HostileScene scene;
  CapturedDiagnostics diagnostics;
};

TEST_F(HostileFraming, OneToThreeStrayBytesAfterTheLastRecordAreIgnored) {
  for (std::size_t stray = 1; stray <= 3; ++stray) {
    SCOPED_TRACE(stray);
    diagnostics.clear();
    goodStart().raw(std::vector<std::uint8_t>(stray, 0xAB)).writeTo(scene.logPath());
    VynProfileLogReaderXtu reader(scene.logPath(), VisibilityLevel::All);
    EXPECT_TRUE(reader.loadLog(true));
    expectGoodStartKept(reader);
    EXPECT_EQ(reader.executeAverage.size(), 1u) << "the aggregation runs after a clean end";
    EXPECT_TRUE(reader.writeDataFiles);
    EXPECT_THAT(diagnostics.errors(), IsEmpty());

    // The same bytes with no record before them: an empty log.
    LogBuilder().raw(std::vector<std::uint8_t>(stray, 0xFF)).writeTo(scene.logPath());
    VynProfileLogReaderXtu empty(scene.logPath(), VisibilityLevel::All);
    EXPECT_TRUE(empty.loadLog(false));
    EXPECT_THAT(empty.executeSeries, IsEmpty());
    EXPECT_THAT(diagnostics.errors(), IsEmpty());
  }
}

TEST_F(HostileFraming, AllOnesLengthPrefixIsATruncatedRecordAndAllocatesNothingForIt) {
  goodStart()
      .lengthPrefix(0xFFFFFFFF)
      .raw(std::vector<std::uint8_t>(100, 0x5A))
      .writeTo(scene.logPath());
  VynProfileLogReaderXtu reader(scene.logPath(), VisibilityLevel::All);

  resetLargestAllocation();
  EXPECT_FALSE(reader.loadLog(true));
  EXPECT_LT(largestAllocation(), 4096u);

  EXPECT_THAT(diagnostics.errors(),
              ElementsAre("Truncated record: 4294967295 bytes announced, 100 available"));
  expectGoodStartKept(reader);
  EXPECT_THAT(reader.executeAverage, IsEmpty()) << "no aggregation after a failed load";
  EXPECT_FALSE(reader.writeDataFiles) << "the flag is stored only by a successful load";
}

// A log read from a pipe has no size to check a prefix against: the reader may
// read ahead by one chunk, but no further.
TEST_F(HostileFraming, AllOnesLengthPrefixFromAPipeAllocatesAtMostOneChunk) {
  const auto bytes =
      goodStart().lengthPrefix(0xFFFFFFFF).raw(std::vector<std::uint8_t>(100, 0x5A)).bytes();
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(ends[1]);  // the reader sees the end of the stream after the bytes
  VynProfileLogReaderXtu reader("/proc/self/fd/" + std::to_string(ends[0]), VisibilityLevel::All);

  resetLargestAllocation();
  EXPECT_FALSE(reader.loadLog(false));
  ::close(ends[0]);
  EXPECT_LT(largestAllocation(), kAllocationCeiling);

  EXPECT_THAT(diagnostics.errors(),
              ElementsAre("Truncated record: 4294967295 bytes announced, 100 available"));
  expectGoodStartKept(reader);
}

TEST_F(HostileFraming, LengthPrefixOneBytePastTheEndIsATruncatedRecord) {
  const auto second = buildRecord(Record{}.with(Message::of(kExecute).named("h").lasting(5)));
  goodStart()
      .lengthPrefix(static_cast<std::uint32_t>(second.size() + 1))
      .raw(second)
      .writeTo(scene.logPath());
  VynProfileLogReaderXtu reader(scene.logPath(), VisibilityLevel::All);

  EXPECT_FALSE(reader.loadLog(false));
  EXPECT_THAT(diagnostics.errors(),
              ElementsAre("Truncated record: " + std::to_string(second.size() + 1) +
                          " bytes announced, " + std::to_string(second.size()) + " available"));
  expectGoodStartKept(reader);
}

}  // namespace
}  // namespace vyn::testing
