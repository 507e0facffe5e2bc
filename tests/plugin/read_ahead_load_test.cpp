// Loading with frames read ahead on a second thread against loading them on
// one, over seeded random logs and damaged copies: everything a load leaves
// must be the same, and no thread may outlive a load. The policy is lowered so
// that these small logs take the pipelined path, in batches of a few frames.
#include <dirent.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "capture/log_file_capture.h"
#include "format/log_read_ahead.h"
#include "log/captured_log.h"
#include "plugin/vyn_profile_log_reader_xtu.h"
#include "support/captured_model.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::profiling {
namespace {

using Bytes = std::vector<std::uint8_t>;
using vyn::testing::Event;
using vyn::testing::LogBuilder;
using vyn::testing::Message;
using vyn::testing::Record;

// A log of records random in every way the capture distinguishes: method
// types (an unknown one among them), levels, shared and fresh graph and event
// names, values held in the frame's bytes or not, nesting.
Bytes randomLog(std::uint64_t seed, int records) {
  std::mt19937_64 random(seed);
  const auto pick = [&random](std::uint64_t count) { return random() % count; };
  const auto eventOf = [&](std::uint64_t name) {
    Event event = Event::named(pick(4) == 0 ? "fresh " + std::to_string(random()) : "event " + std::to_string(name),
                               static_cast<std::uint32_t>(pick(3)));
    switch (pick(3)) {
      case 0:
        return event.u64(random());
      case 1:
        return event.text("text " + std::to_string(pick(50)));
      default:
        return event.data({1, 2, static_cast<std::uint8_t>(pick(256))}).withUnit(static_cast<std::uint32_t>(pick(4)));
    }
  };
  LogBuilder log;
  Record first;
  first.header.emplace().generatorName = "seed " + std::to_string(seed);
  log.record(first);
  std::uint64_t clock = 1000;
  for (int r = 0; r < records; ++r) {
    Record record;
    for (std::uint64_t m = 1 + pick(5); m > 0; --m) {
      const std::uint64_t start = clock += pick(500);
      Message message =
          Message::of(static_cast<int>(1 + pick(18)))
              .named(pick(5) == 0 ? "graph " + std::to_string(random()) : "graph " + std::to_string(pick(3)))
              .at(clock)
              .timed(start, start + pick(2000))
              .withLevel(static_cast<std::int8_t>(pick(8)));
      for (std::uint64_t e = pick(5); e > 0; --e) {
        Event event = eventOf(pick(6));
        if (pick(3) == 0) event.sub(eventOf(pick(6)));
        message.event(std::move(event));
      }
      record.with(std::move(message));
    }
    log.record(record);
  }
  return log.bytes();
}

struct NamedLog {
  std::string name;
  Bytes bytes;
};

// Whole logs and the ways a log is damaged: cut in a record and in a length
// prefix, a flipped byte, a first frame that is no record, stray bytes.
std::vector<NamedLog> logs() {
  std::vector<NamedLog> all;
  for (std::uint64_t seed : {1, 2}) all.push_back({"seed " + std::to_string(seed), randomLog(seed, 40)});
  all.push_back({"seed 5, 400 records", randomLog(5, 400)});
  all.push_back({"header only", randomLog(6, 0)});
  const Bytes base = randomLog(7, 60);
  const std::size_t size = base.size();
  for (std::size_t cut : {size / 2, std::size_t{2}})
    all.push_back({"cut at " + std::to_string(cut), Bytes(base.begin(), base.begin() + static_cast<long>(cut))});
  for (std::size_t at : {std::size_t{9}, size / 3}) {
    Bytes flipped = base;
    flipped[at] ^= 0xFF;
    all.push_back({"flipped byte " + std::to_string(at), flipped});
  }
  Bytes garbageFirst = LogBuilder().lengthPrefix(40).raw(Bytes(40, 0xAB)).bytes();
  garbageFirst.insert(garbageFirst.end(), base.begin(), base.end());
  all.push_back({"bad first record", garbageFirst});
  const std::string text = "{\"a\": 1}\n";
  all.push_back({"text file", Bytes(text.begin(), text.end())});
  Bytes trailed = base;
  trailed.insert(trailed.end(), 3, 0x7F);
  all.push_back({"3 stray bytes", trailed});
  return all;
}

std::string faultText(const std::optional<LogFault>& fault) {
  return fault ? "kind " + std::to_string(static_cast<int>(fault->kind)) + " " + fault->text() : "none";
}

std::string join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The threads of the process, as listed now.
int threadsListed() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/task")) {
    while (const dirent* entry = ::readdir(dir))
      if (entry->d_name[0] != '.') ++count;
    ::closedir(dir);
  }
  return count;
}

// A joined thread can stay listed for a moment while the kernel reaps it, so
// the count is read again until it comes down to the one expected, for at
// most two seconds; a thread left running stays.
int threadCount(int expected) {
  int count = threadsListed();
  for (int tries = 0; tries < 200 && count > expected; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    count = threadsListed();
  }
  return count;
}

// The count to compare with: a sanitizer's runtime may start a thread of its
// own with the first thread, so it is taken after a first scan with
// read-ahead, once the same count has been read five times 10 ms apart (or
// after two seconds).
int threadsAfterAScan(const std::string& path) {
  const ReadAheadPolicy before = setReadAheadPolicy({0, true, 1, 1u << 20});
  {
    ReadAheadScanner scanner;
    if (scanner.open(path))
      while (scanner.next() == LogScanner::Step::Record) {
      }
  }
  setReadAheadPolicy(before);
  int count = threadsListed();
  for (int same = 0, tries = 0; same < 5 && tries < 200; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const int now = threadsListed();
    same = now == count ? same + 1 : 0;
    count = now;
  }
  return count;
}

// All that captureLogFile and the plug-in's reader leave of one log: outcome,
// progress told (the scanner's position after every record), model, the
// logger's lines and the report.
std::string loadText(const std::string& path, const std::string& reportPath) {
  std::ostringstream text;
  vyn::testing::CapturedLog log;
  std::vector<std::string> progress;
  const auto tell = [&progress](std::uint64_t loaded, std::uint64_t total) {
    progress.push_back(std::to_string(loaded) + "/" + std::to_string(total));
  };
  {
    LogModel model;
    const LoadOutcome outcome = captureLogFile(path, 4, model, tell);
    text << "capture: records " << outcome.records << " fault " << faultText(outcome.fault) << "\nprogress "
         << join(progress) << "model " << vyn::testing::modelText(model) << "\nlogged " << join(log.errors())
         << join(log.debugs());
  }
  log.clear();
  progress.clear();
  VynProfileLogReaderXtu reader(path, VisibilityLevel::All);
  reader.setLoadProgress(tell);
  const bool loaded = reader.loadLog(false);
  text << "reader: loaded " << loaded << " records " << reader.loadOutcome().records << " fault "
       << faultText(reader.loadOutcome().fault) << "\nprogress " << join(progress) << "logged " << join(log.errors());
  if (loaded) {
    std::remove(reportPath.c_str());
    text << "report " << reader.writeReport(reportPath) << "\n" << vyn::testing::readFile(reportPath);
  }
  return text.str();
}

class ReadAheadLoadTest : public ::testing::Test {
 protected:
  void TearDown() override { setReadAheadPolicy(ReadAheadPolicy{}); }
  std::string write(const NamedLog& log) {
    const std::string path = dir_.file("run.bin");
    LogBuilder().raw(log.bytes).writeTo(path);
    return path;
  }
  vyn::testing::TempDir dir_;
};

TEST_F(ReadAheadLoadTest, LoadsMatchASerialLoad) {
  // One frame a batch, a few, and batches closed by their bytes, in turn.
  const ReadAheadPolicy batches[] = {{0, true, 1, 1u << 20}, {0, true, 3, 1u << 20}, {0, true, 512, 200}};
  const std::string report = dir_.file("report.txt");
  int threadsBefore = -1;
  std::size_t turn = 0;
  for (const NamedLog& log : logs()) {
    SCOPED_TRACE(log.name);
    const std::string path = write(log);
    if (threadsBefore < 0) threadsBefore = threadsAfterAScan(path);
    std::string texts[2];
    for (const bool ahead : {false, true}) {
      // A log below the policy's size is scanned serially, whatever the CPUs.
      setReadAheadPolicy(ahead ? batches[turn++ % 3] : ReadAheadPolicy{~std::uint64_t{0}, true, 1, 1});
      ReadAheadScanner probe;
      probe.open(path);
      EXPECT_EQ(probe.pipelined(), ahead && !log.bytes.empty());
      texts[ahead] = loadText(path, report);
    }
    EXPECT_EQ(texts[1], texts[0]);
    EXPECT_EQ(threadCount(threadsBefore), threadsBefore);
  }
}

// A load may stop reading anywhere (an exception in the capture): the worker,
// blocked on a full queue or not, is stopped and joined.
TEST_F(ReadAheadLoadTest, AScanLeftEarlyLeavesNoThread) {
  const std::string path = write({"seed 8", randomLog(8, 300)});
  const int threadsBefore = threadsAfterAScan(path);
  for (int taken : {0, 1, 5, 50}) {
    setReadAheadPolicy({0, true, 1, 1u << 20});
    {
      ReadAheadScanner scanner;
      ASSERT_TRUE(scanner.open(path));
      ASSERT_TRUE(scanner.pipelined());
      for (int i = 0; i < taken; ++i) ASSERT_EQ(scanner.next(), LogScanner::Step::Record);
    }
    EXPECT_EQ(threadCount(threadsBefore), threadsBefore) << taken;
  }
}

}  // namespace
}  // namespace vyn::profiling
