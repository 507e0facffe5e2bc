// The back-end report as a host sees it: logs built with the test builder are
// loaded through the plug-in, and standard output and the CSV file are compared
// byte for byte with the expected files under golden/.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "report_test_util.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"
#include "vyn/profiling/profile_log_reader.h"

namespace vyn::testing {
namespace {

namespace fs = std::filesystem;
namespace EventUnit = profiling::EventUnit;
using profiling::ProfileLogReader;
using profiling::VisibilityLevel;

// Method types of the log format.
enum Method {
  kExecute = 1,
  kFinalize = 2,
  kInitEvents = 4,
  kDeInit = 5,
  kInit = 6,
  kComposeGraph = 7,
  kApplyBinarySection = 11,
  kApplyBinarySection2 = 12,
};

std::string golden(const std::string& name) {
  return readFile(std::string(VYN_TESTS_DIR) + "/golden/" + name);
}

class XtuReportGolden : public ::testing::Test {
 protected:
  void SetUp() override {
    // The header report shows the creation time in the process's time zone.
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    plugin_ = ::dlopen(VYN_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(plugin_, nullptr) << ::dlerror();
    createReader_ = reinterpret_cast<CreateReaderFn>(::dlsym(plugin_, "createReader"));
    deleteReader_ = reinterpret_cast<DeleteReaderFn>(::dlsym(plugin_, "deleteReader"));
    ASSERT_NE(createReader_, nullptr);
    ASSERT_NE(deleteReader_, nullptr);
    fs::create_directory(root_.file("work"));
    cwd_ = std::make_unique<ScopedWorkingDirectory>(root_.file("work"));
  }

  void TearDown() override {
    if (reader_ != nullptr) deleteReader_(reader_);
    cwd_.reset();
    if (plugin_ != nullptr) ::dlclose(plugin_);
  }

  // Loads the log at path (relative to the working directory) into a new reader.
  void load(const std::string& path, bool writeDataFiles = false) {
    reader_ = createReader_(path, VisibilityLevel::Basic);
    ASSERT_TRUE(reader_->loadLog(writeDataFiles));
  }

  // writeReport(csvPath) with its result and what it printed.
  std::string report(const std::string& csvPath, bool expectedResult = true) {
    bool result = !expectedResult;
    std::string printed =
        captureStandardOutput(root_.file("stdout.txt"), [&] { result = reader_->writeReport(csvPath); });
    EXPECT_EQ(result, expectedResult);
    return printed;
  }

  std::vector<std::string> entriesBelowRoot() const {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root_.path())) {
      entries.push_back(fs::relative(entry.path(), root_.path()).string());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }

  TempDir root_;
  ProfileLogReader* reader_ = nullptr;

 private:
  void* plugin_ = nullptr;
  CreateReaderFn createReader_ = nullptr;
  DeleteReaderFn deleteReader_ = nullptr;
  std::unique_ptr<ScopedWorkingDirectory> cwd_;
};

TEST_F(XtuReportGolden, EmptyLog) {
  writeFile("empty.log", "");
  load("empty.log");
  EXPECT_EQ(report("out.csv"), golden("empty.stdout"));
  EXPECT_EQ(readFile("out.csv"), golden("empty.csv"));
}

LogBuilder realisticLog() {
  Header header;
  header.timeScale = 1.0f;
  header.epochTimestamp = 0;
  header.steadyClockTimestamp = 5000;
  header.generatorVersion = "3.1.4";
  header.backendVersion = "xtu-7.2";
  header.generatorName = "zevir-runtime";

  Record setup;
  setup.header = header;
  setup.with(Message::of(kInit).named("rt,init").at(100).timed(1000, 1250))
      .with(Message::of(kInitEvents).at(110).timed(2000, 2400)
                .event(Event::named("load", 1).u64(1500).withUnit(EventUnit::Microseconds)
                           .sub(Event::named("units", 5004).u64(5))
                           .sub(Event::named("dma engine", 5006))
                           .sub(Event::named("bytes moved", 2).u64(4096).withUnit(EventUnit::Bytes)))
                .event(Event::named("ctx,create", 7).u64(12).withUnit(EventUnit::Microseconds)))
      .with(Message::of(kComposeGraph).named("g0").at(120).lasting(300))
      .with(Message::of(kComposeGraph).named("g1").at(130).lasting(200))
      .with(Message::of(kFinalize).named("g0").at(200).lasting(80)
                .event(Event::named("fin stage", 11).u64(77).withUnit(EventUnit::Cycles)))
      .with(Message::of(kFinalize).named("g1").at(210).lasting(90)
                .event(Event::named("fin hidden", 9003).u64(1).withUnit(EventUnit::Microseconds)
                           .sub(Event::named("secret", 1).u64(2).withUnit(EventUnit::Microseconds)))
                .event(Event::named("ratio", 12).f64(0.25).withUnit(EventUnit::None)));

  Record runs;
  runs.with(Message::of(kExecute).named("g0").at(300).lasting(100)
                .event(Event::named("exec", 20).u64(90).withUnit(EventUnit::Microseconds)
                           .sub(Event::named("units", 5004).f64(3.9)))
                .event(Event::named("burst", 2004)
                           .sub(Event::named("kind", 2005))
                           .sub(Event::named("blank", 2009).u64(4))
                           .sub(Event::named("label", 2010).text("warm,up"))
                           .sub(Event::named("note", 2017).i64(-5))
                           .sub(Event::named("end", 2018))
                           .sub(Event::named("size", 2006).u64(64).withUnit(EventUnit::Bytes)
                                    .sub(Event::named("inner", 2011).f32(1.5f).withUnit(EventUnit::Count))))
                .event(Event::named("after", 21).u64(7).withUnit(EventUnit::Count)))
      .with(Message::of(kExecute).named("g0").at(310).lasting(120)
                .event(Event::named("exec", 20).u64(110).withUnit(EventUnit::Microseconds)))
      .with(Message::of(kExecute).named("g1").at(320).lasting(50)
                .event(Event::named("burst A", 2004).sub(Event::named("kind", 2005)))
                .event(Event::named("mid", 30).i64(-3).withUnit(EventUnit::None))
                .event(Event::named("burst B", 2004).sub(Event::named("n", 2010).u64(2)))
                .event(Event::named("hidden", 9001).u64(1)))
      .with(Message::of(kExecute).named("g1").at(330).lasting(60))
      .with(Message::of(kApplyBinarySection).named("g0").at(400).lasting(30)
                .event(Event::named("patch", 50).u64(12).withUnit(EventUnit::Microseconds)))
      .with(Message::of(kApplyBinarySection2).named("g0").at(410).lasting(50)
                .event(Event::named("patch", 50).u64(20).withUnit(EventUnit::Microseconds)))
      .with(Message::of(kApplyBinarySection).named("g,2").at(420).lasting(10))
      .with(Message::of(kDeInit).named("teardown").at(900).lasting(40)
                .event(Event::named("release", 40).u64(3).withUnit(EventUnit::Bytes)
                           .sub(Event::named("obj", 0).data({1, 2}).withUnit(EventUnit::Object)
                                    .sub(Event::named("deep", 41).u64(1).withUnit(EventUnit::Count)))));

  LogBuilder log;
  log.record(setup).record(runs);
  return log;
}

TEST_F(XtuReportGolden, RealisticLogRewritesTheCsvFileOnEveryReport) {
  realisticLog().writeTo("run.log");
  writeFile("out.csv", std::string(5000, 'x'));
  load("run.log");

  for (int call = 0; call < 2; ++call) {
    EXPECT_EQ(report("out.csv"), golden("realistic.stdout"));
    EXPECT_EQ(readFile("out.csv"), golden("realistic.csv"));
  }
  // Without a path the summary alone is written.
  EXPECT_EQ(report(""), golden("realistic.stdout"));
}

Event valueKinds() {
  return Event::named("kinds", 60)
      .withUnit(EventUnit::Microseconds)
      .sub(Event::named("i64", 61).i64(-42).withUnit(EventUnit::Microseconds))
      .sub(Event::named("u64", 62).u64(18446744073709551615ull).withUnit(EventUnit::Bytes))
      .sub(Event::named("f32", 63).f32(0.1f).withUnit(EventUnit::Cycles))
      .sub(Event::named("f64", 64).f64(-2.5).withUnit(EventUnit::Count))
      .sub(Event::named("text", 65).text("say \"hi\", ok").withUnit(EventUnit::None))
      .sub(Event::named("raw", 66).data({9, 9}).withUnit(7))
      .sub(Event::named("none", 67).withUnit(0))
      .sub(Event::named("deep1", 68).u64(1).withUnit(EventUnit::Microseconds)
               .sub(Event::named("deep2", 69).u64(2).withUnit(EventUnit::Microseconds)
                        .sub(Event::named("deep3", 70).u64(3).withUnit(EventUnit::Microseconds))));
}

TEST_F(XtuReportGolden, ValueKindsUnitsDepthsAndDataFiles) {
  LogBuilder log;
  log.messages({
      Message::of(kDeInit).at(50).lasting(5)
          .event(valueKinds())
          .event(Event::named("dump", 71).data({'A', 0, 'B'}).withUnit(EventUnit::Object)
                     .withDetail("out.bin"))
          .event(Event::named("escape", 72).data({1}).withUnit(EventUnit::Object)
                     .withDetail("../escape.bin"))
          .event(Event::named("nested", 73).data({2}).withUnit(EventUnit::Object)
                     .withDetail("sub/x.tar.gz")),
      Message::of(kExecute).named("net").at(60).lasting(7)
          .event(valueKinds())
          .event(Event::named("blob", 74).data({7}).withUnit(EventUnit::Object)
                     .withDetail("never.bin")),
  });
  log.writeTo("values.log");
  writeFile("out.bin", "old");
  fs::create_directory("sub");
  writeFile("sub/x.tar.gz", "old");
  load("values.log", /*writeDataFiles=*/true);

  EXPECT_EQ(report("out.csv"), golden("values.stdout"));
  EXPECT_EQ(readFile("out.csv"), golden("values.csv"));

  EXPECT_EQ(readFile("out.bin"), "old");
  EXPECT_EQ(readFile("out_1.bin"), std::string("A\0B", 3));
  EXPECT_EQ(readFile("sub/x.tar.gz"), "old");
  EXPECT_EQ(readFile("sub/x.tar_1.gz"), "\x02");
  // The dump shows object events but does not save them; nothing escapes.
  EXPECT_EQ(entriesBelowRoot(),
            (std::vector<std::string>{"work", "work/out.bin", "work/out.csv", "work/out_1.bin",
                                      "work/sub", "work/sub/x.tar.gz", "work/sub/x.tar_1.gz",
                                      "work/values.log"}));
}

TEST_F(XtuReportGolden, UnopenableOutputFileGivesFalseAndNoOutput) {
  realisticLog().writeTo("run.log");
  load("run.log");
  EXPECT_EQ(report("missing/out.csv", false), "");
  EXPECT_FALSE(fileExists("missing"));
}

}  // namespace
}  // namespace vyn::testing
