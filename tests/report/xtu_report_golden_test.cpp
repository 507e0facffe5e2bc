// The back-end report end to end: logs composed with the test builder are loaded,
// and standard output and the CSV file are compared byte for byte with golden/.
#include <gtest/gtest.h>

#include "plugin/vyn_profile_log_reader_xtu.h"
#include "report_test_util.h"

namespace vyn::testing {
namespace {

using profiling::VisibilityLevel;

// Two graphs through every phase, with burst blocks, hidden identifiers and
// names that need CSV quoting.
LogBuilder realisticLog() {
  // Time scale, epoch and steady clock, no version table, generator version, back-end version, generator name.
  Record setup{Header{{1.0f, 0, 5000, std::nullopt, "3.1.4", "xtu-7.2", "zevir-runtime"}, false}, std::nullopt};
  setup.with(Message::of(kInit).named("rt,init").at(100).timed(1000, 1250))
      .with(Message::of(kInitEvents)
                .at(110)
                .timed(2000, 2400)
                .event(measured("load", 1, 1500)
                           .sub(Event::named("units", 5004).u64(5))
                           .sub(Event::named("dma engine", 5006))
                           .sub(measured("bytes moved", 2, 4096, Unit::Bytes)))
                .event(measured("ctx,create", 7, 12)))
      .with(Message::of(kComposeGraph).named("g0").at(120).lasting(300))
      .with(Message::of(kComposeGraph).named("g1").at(130).lasting(200))
      .with(Message::of(kFinalize).named("g0").at(200).lasting(80).event(measured("fin stage", 11, 77, Unit::Cycles)))
      .with(Message::of(kFinalize)
                .named("g1")
                .at(210)
                .lasting(90)
                .event(measured("fin hidden", 9003, 1).sub(measured("secret", 1, 2)))
                .event(Event::named("ratio", 12).f64(0.25).withUnit(Unit::None)));
  Record runs;
  runs.with(Message::of(kExecute)
                .named("g0")
                .at(300)
                .lasting(100)
                .event(measured("exec", 20, 90).sub(Event::named("units", 5004).f64(3.9)))
                .event(Event::named("burst", 2004)
                           .sub(Event::named("kind", 2005))
                           .sub(Event::named("blank", 2009).u64(4))
                           .sub(Event::named("label", 2010).text("warm,up"))
                           .sub(Event::named("note", 2017).i64(-5))
                           .sub(Event::named("end", 2018))
                           .sub(measured("size", 2006, 64, Unit::Bytes)
                                    .sub(Event::named("inner", 2011).f32(1.5f).withUnit(Unit::Count))))
                .event(measured("after", 21, 7, Unit::Count)))
      .with(Message::of(kExecute).named("g0").at(310).lasting(120).event(measured("exec", 20, 110)))
      .with(Message::of(kExecute)
                .named("g1")
                .at(320)
                .lasting(50)
                .event(Event::named("burst A", 2004).sub(Event::named("kind", 2005)))
                .event(Event::named("mid", 30).i64(-3).withUnit(Unit::None))
                .event(Event::named("burst B", 2004).sub(Event::named("n", 2010).u64(2)))
                .event(Event::named("hidden", 9001).u64(1)))
      .with(Message::of(kExecute).named("g1").at(330).lasting(60))
      .with(Message::of(kApplyBinarySection).named("g0").at(400).lasting(30).event(measured("patch", 50, 12)))
      .with(Message::of(kApplyBinarySection2).named("g0").at(410).lasting(50).event(measured("patch", 50, 20)))
      .with(Message::of(kApplyBinarySection).named("g,2").at(420).lasting(10))
      .with(Message::of(kDeInit)
                .named("teardown")
                .at(900)
                .lasting(40)
                .event(measured("release", 40, 3, Unit::Bytes)
                           .sub(Event::named("obj", 0)
                                    .data({1, 2})
                                    .withUnit(Unit::Object)
                                    .sub(measured("deep", 41, 1, Unit::Count)))));
  return LogBuilder().record(setup).record(runs);
}

// Every value kind, unit code and nesting depth, and object events whose data
// files are taken, outside the working directory, or never shown.
LogBuilder valuesLog() {
  const Event kinds = Event::named("kinds", 60)
                          .withUnit(Unit::Microseconds)
                          .sub(Event::named("i64", 61).i64(-42).withUnit(Unit::Microseconds))
                          .sub(measured("u64", 62, 18446744073709551615ull, Unit::Bytes))
                          .sub(Event::named("f32", 63).f32(0.1f).withUnit(Unit::Cycles))
                          .sub(Event::named("f64", 64).f64(-2.5).withUnit(Unit::Count))
                          .sub(Event::named("text", 65).text("say \"hi\", ok").withUnit(Unit::None))
                          .sub(Event::named("raw", 66).data({9, 9}).withUnit(7))
                          .sub(Event::named("none", 67).withUnit(0))
                          .sub(measured("deep1", 68, 1).sub(measured("deep2", 69, 2).sub(measured("deep3", 70, 3))));
  const auto object = [](const char* name, std::uint32_t id, std::vector<std::uint8_t> bytes, const char* file) {
    return Event::named(name, id).data(std::move(bytes)).withUnit(Unit::Object).withDetail(file);
  };
  return LogBuilder().messages(
      {Message::of(kDeInit)
           .at(50)
           .lasting(5)
           .event(kinds)
           .event(object("dump", 71, {'A', 0, 'B'}, "out.bin"))
           .event(object("escape", 72, {1}, "../escape.bin"))
           .event(object("nested", 73, {2}, "sub/x.tar.gz")),
       Message::of(kExecute).named("net").at(60).lasting(7).event(kinds).event(object("blob", 74, {7}, "never.bin"))});
}

using XtuReport = ScratchWork;

TEST_F(XtuReport, GoldenReportsRewriteTheCsvFileAndSaveOnlyConfinedDataFiles) {
  writeFile("out.bin", "old");
  std::filesystem::create_directory("sub");
  writeFile("sub/x.tar.gz", "old");
  const struct {
    const char* log;
    const char* golden;
    LogBuilder content;
  } cases[] = {
      {"empty.log", "backend/empty", LogBuilder()},
      {"run.log", "backend/realistic", realisticLog()},
      {"values.log", "backend/values", valuesLog()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.golden);
    c.content.writeTo(c.log);
    writeFile("report.csv", std::string(5000, 'x'));  // replaced, not appended to
    profiling::VynProfileLogReaderXtu reader{c.log, VisibilityLevel::Basic};
    ASSERT_TRUE(reader.loadLog(/*writeDataFiles=*/true));
    // Without a path the summary alone is written.
    for (const char* csv : {"report.csv", "report.csv", ""})
      EXPECT_EQ(report(reader, csv), golden(std::string(c.golden) + ".stdout")) << csv;
    EXPECT_EQ(readFile("report.csv"), golden(std::string(c.golden) + ".csv"));
  }
  // Each of the three reports of the value log saved its De-Init objects under
  // the next free name; the dump shows object events but does not save them.
  EXPECT_EQ(readFile("out_1.bin"), std::string("A\0B", 3));
  EXPECT_EQ(entriesBelowRoot(),
            (std::vector<std::string>{"work", "work/empty.log", "work/out.bin", "work/out_1.bin", "work/out_2.bin",
                                      "work/out_3.bin", "work/report.csv", "work/run.log", "work/sub",
                                      "work/sub/x.tar.gz", "work/sub/x.tar_1.gz", "work/sub/x.tar_2.gz",
                                      "work/sub/x.tar_3.gz", "work/values.log"}));
}

}  // namespace
}  // namespace vyn::testing
